#include "app/accelerators.h"

#include <gtest/gtest.h>
#include <wx/defs.h>
#include <wx/xrc/xmlres.h>

#include "app/haupt_fenster.h"

TEST(AcceleratorTest, EnterAndEscActOnlyWithoutModifiers) {
  EXPECT_EQ(acceleratorCommand(WXK_RETURN, wxMOD_NONE, false), CM_WEITER);
  EXPECT_EQ(acceleratorCommand(WXK_NUMPAD_ENTER, wxMOD_NONE, true), CM_WEITER);
  EXPECT_EQ(acceleratorCommand(WXK_ESCAPE, wxMOD_NONE, false), CM_UNBEKANNT);
  EXPECT_EQ(acceleratorCommand(WXK_RETURN, wxMOD_CONTROL, false), 0);
  EXPECT_EQ(acceleratorCommand(WXK_ESCAPE, wxMOD_SHIFT, false), 0);
  EXPECT_EQ(acceleratorCommand(WXK_SPACE, wxMOD_NONE, false), 0);
}

TEST(AcceleratorTest, OnlyLowerCaseLettersAreCommands) {
  EXPECT_EQ(acceleratorCommand('G', wxMOD_NONE, false), CM_WEITER);
  EXPECT_EQ(acceleratorCommand('U', wxMOD_NONE, false), CM_UNBEKANNT);
  // Shift or Caps Lock types the capital letter; both together give lower case again.
  EXPECT_EQ(acceleratorCommand('G', wxMOD_SHIFT, false), 0);
  EXPECT_EQ(acceleratorCommand('U', wxMOD_NONE, true), 0);
  EXPECT_EQ(acceleratorCommand('G', wxMOD_SHIFT, true), CM_WEITER);
  EXPECT_EQ(acceleratorCommand('U', wxMOD_ALT, false), 0);
  EXPECT_EQ(acceleratorCommand('H', wxMOD_NONE, false), 0);
}

TEST(AcceleratorTest, NoLetterCommandsWhileTyping) {
  EXPECT_EQ(acceleratorCommand('G', wxMOD_NONE, false, true), 0);
  EXPECT_EQ(acceleratorCommand('U', wxMOD_NONE, false, true), 0);
  EXPECT_EQ(acceleratorCommand(WXK_RETURN, wxMOD_NONE, false, true), CM_WEITER);
  EXPECT_EQ(acceleratorCommand(WXK_ESCAPE, wxMOD_NONE, false, true), CM_UNBEKANNT);
}

TEST(AcceleratorTest, ControlKeysTakeBackOverruleAndSizeTheCards) {
  for (bool typing : {false, true}) {
    EXPECT_EQ(acceleratorCommand('Z', wxMOD_CONTROL, false, typing), CM_ZURUECKNEHMEN);
    EXPECT_EQ(acceleratorCommand('G', wxMOD_CONTROL, true, typing), CM_STRG_GEWUSST);
    EXPECT_EQ(acceleratorCommand('U', wxMOD_CONTROL, false, typing), CM_STRG_UNBEKANNT);
    EXPECT_EQ(acceleratorCommand('L', wxMOD_CONTROL, false, typing), CM_NOCHMAL_VORLESEN);
  }
  // "+" is typed with Shift on many layouts, and the number pad has its own keys.
  EXPECT_EQ(acceleratorCommand('+', wxMOD_CONTROL, false), CM_SCHRIFT_GROESSER);
  EXPECT_EQ(acceleratorCommand('=', wxMOD_CONTROL | wxMOD_SHIFT, false), CM_SCHRIFT_GROESSER);
  EXPECT_EQ(acceleratorCommand(WXK_NUMPAD_ADD, wxMOD_CONTROL, false), CM_SCHRIFT_GROESSER);
  EXPECT_EQ(acceleratorCommand('-', wxMOD_CONTROL, false), CM_SCHRIFT_KLEINER);
  EXPECT_EQ(acceleratorCommand(WXK_NUMPAD_SUBTRACT, wxMOD_CONTROL, false), CM_SCHRIFT_KLEINER);
  EXPECT_EQ(acceleratorCommand('0', wxMOD_CONTROL, false), CM_SCHRIFT_NORMAL);
  EXPECT_EQ(acceleratorCommand('Z', wxMOD_ALT, false), 0);
  EXPECT_EQ(acceleratorCommand('Z', wxMOD_CONTROL | wxMOD_ALT, false), 0);
  EXPECT_EQ(acceleratorCommand('X', wxMOD_CONTROL, false), 0);
}

TEST(AcceleratorTest, DesktopFileKeysNeedExactlyTheirModifiers) {
  EXPECT_EQ(acceleratorCommand('S', wxMOD_CONTROL, false), CM_SICHERN);
  EXPECT_EQ(acceleratorCommand('S', wxMOD_CONTROL | wxMOD_SHIFT, true), CM_SICHERN_ALS);
  EXPECT_EQ(acceleratorCommand('S', wxMOD_CONTROL | wxMOD_ALT | wxMOD_SHIFT, false), 0);
  EXPECT_EQ(acceleratorCommand('Q', wxMOD_CONTROL, false, true), CM_BEENDEN);
  EXPECT_EQ(acceleratorCommand(WXK_F1, wxMOD_NONE, false, true), CM_HILFE_INHALT);
  EXPECT_EQ(acceleratorCommand(WXK_F1, wxMOD_CONTROL, false), 0);
}

TEST(MenuResourceTest, NumericItemNamesAreTheCommandIds) {
  for (int id : {CM_NEU, CM_OEFFNEN, CM_BEENDEN, CM_LOESCHEN, CM_HILFE_INFO, CM_LEERFAECHER}) {
    EXPECT_EQ(wxXmlResource::GetXRCID(wxString::Format("%d", id)), id);
  }
}
