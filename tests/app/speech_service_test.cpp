// Reading aloud through the real client library, against a speech-dispatcher the test
// starts for itself: its only voice is a generic output module that writes the
// language and the text of each message into a file, two seconds after it was asked, so
// a text cut off in time never gets there. No sound card is needed.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gui_test.h"
#include "main_frame_fixture.h"

extern char** environ;

namespace {

const char kServer[] = "/usr/bin/speech-dispatcher";
const char kGenericModule[] = "/usr/lib/speech-dispatcher-modules/sd_generic";

// A speech-dispatcher of the test's own, in its own process group and folder.
class tTestSpeechService {
 public:
  explicit tTestSpeechService(const std::string& dir) : dir_(dir) {}
  ~tTestSpeechService() { stop(); }

  // False with *why when the service did not come up.
  bool start(std::string* why) {
    writeConfig();
    const std::string conf = dir_ + "/conf";
    const std::string socket = dir_ + "/speechd.sock";
    const std::string logs = dir_ + "/log";
    const std::string pidFile = dir_ + "/speechd.pid";
    std::filesystem::create_directories(logs);
    const char* argv[] = {
        kServer, "-s",         "-t", "60",         "-c", "unix_socket",   "-S",   socket.c_str(),
        "-C",    conf.c_str(), "-L", logs.c_str(), "-P", pidFile.c_str(), nullptr};
    // Its messages before the log is open would only clutter the test's output.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string output = logs + "/start.txt";
    posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int error =
        posix_spawn(&pid_, kServer, &files, &attributes, const_cast<char* const*>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    if (error != 0) {
      pid_ = 0;
      *why = "speech-dispatcher could not be started";
      return false;
    }
    address_ = "unix_socket:" + socket;
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!std::filesystem::exists(socket)) *why = "speech-dispatcher made no socket in 10 s";
    return std::filesystem::exists(socket);
  }

  // Ends the server and its output modules.
  void stop() {
    if (pid_ == 0) return;
    kill(-pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(-pid_, SIGKILL);
    waitpid(pid_, &status, WNOHANG);
    pid_ = 0;
  }

  const std::string& address() const { return address_; }
  // "language|text" lines, as they reached the output module.
  std::string heard() const {
    std::ifstream in(dir_ + "/heard.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  void writeConfig() const {
    std::filesystem::create_directories(dir_ + "/conf/modules");
    std::ofstream(dir_ + "/conf/speechd.conf")
        << "AudioOutputMethod \"alsa\"\n"
           "AudioALSADevice \"null\"\n"
           "AddModule \"recorder\" \"sd_generic\" \"recorder.conf\"\n"
           "DefaultModule recorder\n"
           "DefaultLanguage \"de\"\n";
    std::ofstream module(dir_ + "/conf/modules/recorder.conf");
    module << "GenericExecuteSynth \"sleep 2 && printf '%s|%s\\\\n' \\'$LANGUAGE\\' \\'$DATA\\' >> "
           << dir_ << "/heard.txt\"\n";
    for (const char* language : {"de", "en", "fr", "la"}) {
      module << "GenericLanguage \"" << language << "\" \"" << language << "\" \"utf-8\"\n"
             << "AddVoice \"" << language << "\" \"MALE1\" \"" << language << "\"\n";
    }
  }

  std::string dir_;
  std::string address_;
  pid_t pid_ = 0;
};

class SpeechServiceTest : public MainFrameTest {
 protected:
  void SetUp() override {
    MainFrameTest::SetUp();
    if (access(kServer, X_OK) != 0 || access(kGenericModule, X_OK) != 0) {
      GTEST_SKIP() << "speech-dispatcher with its generic module is not installed";
    }
    service_ = std::make_unique<tTestSpeechService>(dir_);
    std::string why;
    ASSERT_TRUE(service_->start(&why)) << why;
    setenv("SPEECHD_ADDRESS", service_->address().c_str(), 1);
  }
  void TearDown() override {
    MainFrameTest::TearDown();  // the window closes its connection first
    service_.reset();
    unsetenv("SPEECHD_ADDRESS");
  }

  bool hears(const std::string& line) {
    return guitest::waitFor([&] { return service_->heard().find(line) != std::string::npos; },
                            10000);
  }

  std::unique_ptr<tTestSpeechService> service_;
};

// Umlauts, ß and accents, in code page 1252 as the program holds them.
TEST_F(SpeechServiceTest, TheServiceHearsTheQuestionInGermanAndTheAnswerInTheBoxsLanguage) {
  const std::string file = writeBox("sommer.trm", {{1,
                                                    "der Sommer im S\xfc"
                                                    "den, gro\xdf",
                                                    "l'\xe9t\xe9 \xe0 No\xebl"},
                                                   {1, "die Katze", "le chat"}});
  // French for this box, as the language dialog would have remembered it.
  tSettings settings;
  settings.readAloud = true;
  setTranslationLanguage(&settings, wxString::FromUTF8(std::filesystem::canonical(file).c_str()),
                         "fr");
  ASSERT_TRUE(saveSettings(settings));
  start(file);
  EXPECT_TRUE(menuChecked(CM_VORLESEN));
  EXPECT_TRUE(hears("de|der Sommer im Süden, groß\n"));
  press(WXK_RETURN);
  EXPECT_TRUE(hears("fr|l'été à Noël\n"));
  EXPECT_EQ(service_->heard(), "de|der Sommer im Süden, groß\nfr|l'été à Noël\n");
}

TEST_F(SpeechServiceTest, EnterCutsOffWhatIsBeingReadAndTheDrillGoesOn) {
  start(writeBox("katze.trm", {{1, "die Katze", "the cat"}, {1, "der Hund", "the dog"}}));
  menu(CM_VORLESEN);
  press(WXK_RETURN);  // the answer cuts the question off, Gewusst the answer
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_QUESTION), "der Hund");
  EXPECT_TRUE(hears("de|der Hund\n"));
  EXPECT_EQ(service_->heard(), "de|der Hund\n");
}

TEST_F(SpeechServiceTest, AServiceThatEndsDuringTheDrillIsReportedAndTheDrillGoesOn) {
  start(writeBox("katze.trm", {{1, "die Katze", "the cat"}, {1, "der Hund", "the dog"}}));
  menu(CM_VORLESEN);
  EXPECT_TRUE(hears("de|die Katze\n"));
  service_->stop();
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "the cat");
  EXPECT_EQ(status(0), "Sprachdienst antwortet nicht");
  EXPECT_FALSE(menuEnabled(CM_VORLESEN));
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_QUESTION), "der Hund");
}

TEST_F(SpeechServiceTest, NoServiceAtTheAddressGreysTheItemAndSaysWhy) {
  setenv("SPEECHD_ADDRESS", ("unix_socket:" + path("kein.sock")).c_str(), 1);
  start(writeBox("katze.trm", {{1, "die Katze", "the cat"}}));
  menu(CM_VORLESEN);
  EXPECT_EQ(status(0), "Kein Sprachdienst zum Vorlesen");
  EXPECT_FALSE(menuEnabled(CM_VORLESEN));
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "the cat");
}

// A speech service that takes every connection and never answers, as one hung without a
// sound device: a listening socket that nobody reads.
class SilentServiceTest : public MainFrameTest {
 protected:
  void SetUp() override {
    MainFrameTest::SetUp();
    const std::string socketPath = path("stumm.sock");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ASSERT_GE(listener_, 0);
    ASSERT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener_, 8), 0);
    setenv("SPEECHD_ADDRESS", ("unix_socket:" + socketPath).c_str(), 1);
  }
  void TearDown() override {
    MainFrameTest::TearDown();
    // The library's call, still waiting, now fails and its thread ends.
    for (int client : clients_) close(client);
    if (listener_ >= 0) close(listener_);
    unsetenv("SPEECHD_ADDRESS");
  }

  // Takes the connections made so far, without answering them; how many there were.
  int takeConnections() {
    int taken = 0;
    for (int client; (client = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
      clients_.push_back(client);
      ++taken;
    }
    return taken;
  }

  int listener_ = -1;
  std::vector<int> clients_;
};

// Off, nothing connects; remembered on, the window comes up, says why it is silent and
// takes keys, and closing it does not wait for the service.
TEST_F(SilentServiceTest, OffNothingConnectsAndRememberedOnNothingWaitsForTheService) {
  const std::string box =
      writeBox("katze.trm", {{1, "die Katze", "the cat"}, {1, "der Hund", "the dog"}});
  start(box);
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "the cat");
  stop();
  EXPECT_EQ(takeConnections(), 0);

  tSettings settings;
  settings.readAloud = true;
  ASSERT_TRUE(saveSettings(settings));
  start(box);
  EXPECT_TRUE(guitest::waitFor([this] { return status(0) == "Sprachdienst antwortet nicht"; }));
  EXPECT_EQ(takeConnections(), 1);
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "the cat");
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_QUESTION), "der Hund");
  stop();  // would wait for ever on a closing that waited for the service
}

}  // namespace
