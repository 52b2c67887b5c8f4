// The recorder as a user runs it: its options, its errors, and runs that repeat exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class RecordTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("record_test_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The recorder's exit code; its output goes to a file in the folder.
  int Run(const std::string& arguments) const {
    const std::string command =
        std::string("'") + RECORDER + "' " + arguments + " >'" + Path("out.txt") + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> Lines(const std::string& name) const {
    std::vector<std::string> lines;
    std::istringstream in(Read(name));
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
  // The number after "key": in a JSON line of the trace.
  static long Field(const std::string& line, const std::string& key) {
    const size_t at = line.find("\"" + key + "\":");
    return at == std::string::npos ? -1 : std::stol(line.substr(at + key.size() + 3));
  }

  fs::path folder_;
};

TEST_F(RecordTest, TwoRunsGiveTheSameFrames) {
  const std::string script = "--frames 40 --press 3 --press 20x3 --start-ms 4294967000 --trace ";
  ASSERT_EQ(Run(script + Path("a.jsonl")), 0) << Read("out.txt");
  ASSERT_EQ(Run(script + Path("b.jsonl")), 0) << Read("out.txt");
  const auto a = Lines("a.jsonl");
  ASSERT_EQ(a.size(), 40u);
  EXPECT_EQ(a, Lines("b.jsonl"));
  // The start is taken modulo 2^32.
  const std::string wrapped = "--frames 40 --press 3 --press 20x3 --start-ms 8589934296 --trace ";
  ASSERT_EQ(Run(wrapped + Path("c.jsonl")), 0) << Read("out.txt");
  EXPECT_EQ(a, Lines("c.jsonl"));
  EXPECT_NE(a[0].find("\"frame\":1,"), std::string::npos) << a[0];
  EXPECT_NE(a[0].find("\"title\":\"fps: 1 - 0\""), std::string::npos) << a[0];
}

TEST_F(RecordTest, PressAtFrameAddsAnExplosionAfterThatFrame) {
  ASSERT_EQ(Run("--frames 8 --press 5 --press 7x2 --trace " + Path("t.jsonl")), 0);
  const auto t = Lines("t.jsonl");
  ASSERT_EQ(t.size(), 8u);
  EXPECT_EQ(Field(t[3], "nodes"), 34);
  EXPECT_EQ(Field(t[4], "nodes"), 68);
  EXPECT_EQ(Field(t[4], "explosionCount"), 1);
  EXPECT_EQ(Field(t[6], "nodes"), 136);
  EXPECT_EQ(Field(t[6], "explosionCount"), 3);
  // The frame that drains a press presents the same picture as without it.
  ASSERT_EQ(Run("--frames 8 --trace " + Path("u.jsonl")), 0);
  const auto u = Lines("u.jsonl");
  EXPECT_EQ(t[4].substr(t[4].find("\"hash\"")), u[4].substr(u[4].find("\"hash\"")));
  EXPECT_NE(t[5].substr(t[5].find("\"hash\"")), u[5].substr(u[5].find("\"hash\"")));
}

// Presses every K frames are the same presses, in the same drains, as the listed ones.
TEST_F(RecordTest, PressEveryMatchesTheListOfPresses) {
  struct Case {
    const char* every;
    const char* listed;
  };
  const Case cases[] = {
      {"--frames 5 --press-every 1",
       "--frames 5 --press 1 --press 2 --press 3 --press 4 --press 5"},
      {"--frames 40 --press-every 7",
       "--frames 40 --press 7 --press 14 --press 21 --press 28 --press 35"},
      {"--frames 40 --press-every 20", "--frames 40 --press 20 --press 40"},
      {"--frames 40 --press-every 41", "--frames 40"},
      {"--frames 12 --press-every 5 --press 5x2 --press 6",
       "--frames 12 --press 5x3 --press 6 --press 10"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Run(std::string(c.every) + " --trace " + Path("e.jsonl")), 0) << Read("out.txt");
    ASSERT_EQ(Run(std::string(c.listed) + " --trace " + Path("l.jsonl")), 0) << Read("out.txt");
    const auto every = Lines("e.jsonl");
    EXPECT_FALSE(every.empty()) << c.every;
    EXPECT_EQ(every, Lines("l.jsonl")) << c.every;
  }
}

TEST_F(RecordTest, StatsPrintFramesTimesMemoryAndNodes) {
  ASSERT_EQ(Run("--frames 25 --press-every 10 --stats --trace " + Path("t.jsonl")), 0);
  const auto out = Lines("out.txt");
  const auto value = [&](const std::string& name) {
    for (const std::string& line : out)
      if (line.rfind(name + ": ", 0) == 0) return std::stod(line.substr(name.size() + 2));
    ADD_FAILURE() << "no line " << name << " in:\n" << Read("out.txt");
    return -1.0;
  };
  EXPECT_EQ(value("frames"), 25);
  EXPECT_GE(value("wall time"), 0);
  EXPECT_GE(value("fps"), 0);
  const double p50 = value("frame time p50");
  const double p90 = value("frame time p90");
  const double p99 = value("frame time p99");
  EXPECT_GE(p50, 0);
  EXPECT_LE(p50, p90);
  EXPECT_LE(p90, p99);
  EXPECT_LE(p99, value("frame time max"));
  EXPECT_GT(value("peak memory"), 0);
  EXPECT_EQ(value("particle nodes"), Field(Lines("t.jsonl").back(), "nodes"));
  // The times are printed in milliseconds with three decimals.
  EXPECT_NE(Read("out.txt").find(" ms\n"), std::string::npos);
  // Without --stats, the recorder says nothing.
  ASSERT_EQ(Run("--frames 3"), 0);
  EXPECT_EQ(Read("out.txt"), "");
}

TEST_F(RecordTest, RealTimeRunsItsFrames) {
  ASSERT_EQ(Run("--real-time --frames 20 --press-every 5 --stats --trace " + Path("t.jsonl")), 0)
      << Read("out.txt");
  const auto t = Lines("t.jsonl");
  ASSERT_EQ(t.size(), 20u);
  EXPECT_EQ(Field(t.back(), "explosionCount"), 4);
  EXPECT_NE(Read("out.txt").find("frames: 20\n"), std::string::npos) << Read("out.txt");
}

TEST_F(RecordTest, PngAndParticleFilesAreWritten) {
  ASSERT_EQ(Run("--frames 3 --press 1 --png 2:" + Path("f.png") + " --png last:" + Path("l.png") +
                " --particles 1:" + Path("p.jsonl")),
            0)
      << Read("out.txt");
  for (const char* name : {"f.png", "l.png"}) {
    const std::string png = Read(name);
    ASSERT_GT(png.size(), 26u) << name;
    EXPECT_EQ(png.substr(1, 3), "PNG");
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(png[i]); };
    EXPECT_EQ(byte(18) << 8 | byte(19), 600);
    EXPECT_EQ(byte(22) << 8 | byte(23), 580);
    EXPECT_EQ(byte(25), 2); // RGB
  }
  const auto p = Lines("p.jsonl");
  ASSERT_EQ(p.size(), 68u);
  EXPECT_EQ(p[34].rfind("{\"sprite\":8,", 0), 0u) << p[34];
  EXPECT_NE(p[34].find("\"x\":106,\"y\":376,"), std::string::npos) << p[34];
  EXPECT_NE(p[0].find("\"fadeStep\":"), std::string::npos);
  for (const auto& entry : fs::directory_iterator(folder_))
    EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos);
}

TEST_F(RecordTest, BadArgumentsExitWithTwoAndWriteNothing) {
  const std::string missing = Path("no/such/folder/x");
  const char* cases[] = {"--frames 0",
                         "--frames abc",
                         "--frame-ms -1",
                         "--start-ms -5",
                         "--press 0",
                         "--press 61",
                         "--press 3x0",
                         "--press 3y2",
                         "--png 3",
                         "--png 61:x.png",
                         "--particles last:x.jsonl",
                         "--press-every 0",
                         "--press-every -3",
                         "--press-every abc",
                         "--press-every 1.5",
                         "--press-every",
                         "--real-time --frame-ms 5",
                         "--real-time --start-ms 5",
                         "--unknown"};
  for (const char* arguments : cases) {
    EXPECT_EQ(Run(std::string(arguments) + " --trace " + Path("t.jsonl")), 2) << arguments;
    const auto out = Lines("out.txt");
    EXPECT_EQ(out.size(), 1u) << arguments << ": " << Read("out.txt");
    EXPECT_FALSE(fs::exists(Path("t.jsonl"))) << arguments;
  }
  for (const std::string option : {"--png 1:", "--particles 1:", "--trace "}) {
    EXPECT_EQ(Run("--frames 2 --trace " + Path("t.jsonl") + " " + option + missing), 2) << option;
    EXPECT_NE(Read("out.txt").find(option.substr(0, option.find_first_of(" 1"))), std::string::npos)
        << Read("out.txt");
    EXPECT_FALSE(fs::exists(Path("t.jsonl"))) << option;
  }
}

TEST_F(RecordTest, HelpListsTheOptions) {
  EXPECT_EQ(Run("--help"), 0);
  const std::string help = Read("out.txt");
  for (const char* option : {"--frames", "--frame-ms", "--start-ms", "--press", "--press-every",
                             "--real-time", "--stats", "--png", "--particles", "--trace"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
}

} // namespace
