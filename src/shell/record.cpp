// explosions-record: the demo's start-up, frame loop and shutdown on a headless window and
// virtual time (or the real clock), driven by a script of button presses, writing what the
// window would show and, on request, how long the frames took.
#include "particles/particles.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/shell.h"

#include <CLI/CLI.hpp>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int BadArguments = 2;

struct OutputRequest {
  int64_t frame;    // 1..frames
  std::string path; // where the file goes
};

struct RecorderState {
  int64_t frames;                       // frames to run; the close is drained in the last
  int64_t frameMs;                      // virtual milliseconds per frame
  int64_t startMs;                      // both millisecond clocks at the start, mod 2^32
  std::map<int64_t, int> presses;       // frame -> presses handled in its drain
  int64_t pressEvery;                   // one more press in frames K, 2K, ...; 0 for none
  std::vector<OutputRequest> pngs;      // frames to write as PNG
  std::vector<OutputRequest> particles; // particle lists to write as JSON Lines
  std::string tracePath;                // one JSON object per frame, or "" for none
  int64_t frame;                        // frames presented so far
  uint64_t hash;                        // hash of the frame presented last
  std::string traceText;                // the trace so far
  std::string failure;                  // the first write that failed, or ""
};
RecorderState Recorder{};

// Frame times go into a fixed histogram, so that a run of any length measures itself in the
// same memory: 1-microsecond buckets below 100 ms, 1-millisecond buckets from 100 ms to 100 s,
// and one bucket above. A percentile is the lower edge of the bucket holding it, so it is exact
// to the microsecond below 100 ms and to the millisecond above; the maximum is exact.
constexpr int64_t FineBuckets = 100'000;  // 1 us each: [0, 100 ms)
constexpr int64_t CoarseFirstMs = 100;    // the first coarse bucket starts here
constexpr int64_t CoarseBuckets = 99'900; // 1 ms each: [100 ms, 100 s)
constexpr int64_t OverflowBucket = FineBuckets + CoarseBuckets;

struct StatsState {
  bool enabled;                  // --stats: measure, and print at the end
  std::vector<uint32_t> buckets; // frame counts, OverflowBucket + 1 of them
  int64_t samples;               // frames measured
  int64_t maxNs;                 // the longest frame
  int64_t loopStartNs;           // wall time when the first frame started
  int64_t frameStartNs;          // wall time when the frame now running started
};
StatsState Stats{};

int64_t BucketOf(int64_t ns) {
  if (ns < FineBuckets * 1000) return ns < 0 ? 0 : ns / 1000;
  const int64_t ms = ns / 1'000'000;
  return ms < CoarseFirstMs + CoarseBuckets ? FineBuckets + ms - CoarseFirstMs : OverflowBucket;
}

int64_t BucketStartNs(int64_t bucket) {
  if (bucket < FineBuckets) return bucket * 1000;
  if (bucket < OverflowBucket) return (bucket - FineBuckets + CoarseFirstMs) * 1'000'000;
  return Stats.maxNs;
}

// A frame runs from the start of one RunFrame to the start of the next, so it includes the
// frame cap's wait and the recorder's own work after the drain; the last ends with its hook.
void MeasureFrame() {
  const int64_t now = ReadWallNanoseconds();
  const int64_t ns = now - Stats.frameStartNs;
  Stats.frameStartNs = now;
  ++Stats.buckets[BucketOf(ns)];
  ++Stats.samples;
  if (ns > Stats.maxNs) Stats.maxNs = ns;
}

// The nearest-rank percentile: the smallest time with at least percent% of frames at or below.
int64_t PercentileNs(int percent) {
  if (Stats.samples == 0) return 0;
  const int64_t rank = std::max<int64_t>(1, (Stats.samples * percent + 99) / 100);
  int64_t seen = 0;
  for (int64_t b = 0; b <= OverflowBucket; ++b) {
    seen += Stats.buckets[b];
    if (seen >= rank) return BucketStartNs(b);
  }
  return Stats.maxNs;
}

void PrintStats(int nodes) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const int64_t wallNs = Stats.frameStartNs - Stats.loopStartNs;
  const double seconds = static_cast<double>(wallNs) / 1e9;
  const auto ms = [](int64_t ns) { return static_cast<double>(ns) / 1e6; };
  std::fprintf(stderr, "frames: %" PRId64 "\n", Stats.samples);
  std::fprintf(stderr, "wall time: %.3f s\n", seconds);
  std::fprintf(stderr, "fps: %.1f\n",
               seconds > 0 ? static_cast<double>(Stats.samples) / seconds : 0.0);
  for (const int percent : {50, 90, 99})
    std::fprintf(stderr, "frame time p%d: %.3f ms\n", percent, ms(PercentileNs(percent)));
  std::fprintf(stderr, "frame time max: %.3f ms\n", ms(Stats.maxNs));
  std::fprintf(stderr, "peak memory: %ld KiB\n", static_cast<long>(usage.ru_maxrss));
  std::fprintf(stderr, "particle nodes: %d\n", nodes);
}

// FNV-1a, 64 bits, over the frame's R, G, B bytes row by row from the top.
uint64_t HashFrame(const uint32_t* pixels, int width, int height) {
  uint64_t hash = 14695981039346656037ull;
  const size_t count = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < count; ++i)
    for (int shift = 0; shift < 24; shift += 8) {
      hash ^= (pixels[i] >> shift) & 0xFF;
      hash *= 1099511628211ull;
    }
  return hash;
}

// Writes through a temporary file in the same folder, renamed into place when complete.
template <typename Writer> bool WriteWhole(const std::string& path, Writer write) {
  const std::string temporary = path + ".partial";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = write(file);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool WritePng(FILE* file, const uint32_t* pixels, int width, int height) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      row[3 * x] = static_cast<png_byte>(p);
      row[3 * x + 1] = static_cast<png_byte>(p >> 8);
      row[3 * x + 2] = static_cast<png_byte>(p >> 16);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

void Fail(const std::string& what) {
  if (Recorder.failure.empty()) Recorder.failure = what;
}

void OnPresent(const uint32_t* pixels, int width, int height) {
  ++Recorder.frame;
  // Only the trace shows the hash; a long run without one should not pay for it every frame.
  if (!Recorder.tracePath.empty()) Recorder.hash = HashFrame(pixels, width, height);
  for (const OutputRequest& r : Recorder.pngs)
    if (r.frame == Recorder.frame &&
        !WriteWhole(r.path, [&](FILE* f) { return WritePng(f, pixels, width, height); }))
      Fail("--png: cannot write " + r.path);
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) continue;
    out += c;
  }
  return out + "\"";
}

std::string ParticleJson(const Particle& p) {
  char line[1024];
  std::snprintf(line, sizeof line,
                "{\"sprite\":%d,\"blendSource\":%d,\"blendDestination\":%d,\"x\":%.9g,\"y\":%.9g,"
                "\"velocityX\":%.9g,\"velocityY\":%.9g,\"accelerationX\":%.9g,"
                "\"accelerationY\":%.9g,\"drag\":%.9g,\"bornAt\":%d,\"lifetime\":%d,"
                "\"windFactor\":%.9g,\"width\":%d,\"height\":%d,\"angle\":%d,\"opacity\":%d,"
                "\"fadeStep\":%d}\n",
                p.sprite, p.blendSource, p.blendDestination, double{p.x}, double{p.y},
                double{p.velocityX}, double{p.velocityY}, double{p.accelerationX},
                double{p.accelerationY}, double{p.drag}, p.bornAt, p.lifetime, double{p.windFactor},
                p.width, p.height, p.angle, p.opacity, p.fadeStep);
  return line;
}

void QueueEventsOfFrame(int64_t frame) {
  const auto presses = Recorder.presses.find(frame);
  if (presses != Recorder.presses.end())
    for (int i = 0; i < presses->second; ++i)
      QueueHeadlessEvent(EventButton);
  if (Recorder.pressEvery > 0 && frame % Recorder.pressEvery == 0) QueueHeadlessEvent(EventButton);
  if (frame == Recorder.frames) QueueHeadlessEvent(EventClose);
}

// After frame F's drain: its trace line and particle lists, then the events of frame F + 1.
void AfterFrame() {
  const int64_t frame = Recorder.frame;
  if (!Recorder.tracePath.empty()) {
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Recorder.hash));
    Recorder.traceText += "{\"frame\":" + std::to_string(frame) +
                          ",\"explosionCount\":" + std::to_string(Shell.ExplosionCount) +
                          ",\"nodes\":" + std::to_string(CountParticleNodes()) +
                          ",\"title\":" + JsonString(HeadlessWindowTitle()) + ",\"hash\":\"" +
                          hash + "\"}\n";
  }
  for (const OutputRequest& r : Recorder.particles) {
    if (r.frame != frame) continue;
    std::string text;
    for (const ParticleNode* n = ParticleList.first; n != nullptr; n = n->next)
      text += ParticleJson(n->particle);
    if (!WriteWhole(r.path, [&](FILE* f) {
          return std::fwrite(text.data(), 1, text.size(), f) == text.size();
        }))
      Fail("--particles: cannot write " + r.path);
  }
  QueueEventsOfFrame(frame + 1);
  if (Stats.enabled) MeasureFrame();
}

// "F" or "FxK", frames counted from 1.
bool ParsePress(const std::string& text, int64_t frames) {
  int64_t frame = 0;
  long long count = 1;
  char extra = 0;
  const int n = std::sscanf(text.c_str(), "%ld%c", &frame, &extra);
  if (n == 2 &&
      (extra != 'x' || std::sscanf(text.c_str(), "%ldx%lld%c", &frame, &count, &extra) != 2))
    return false;
  if (n < 1 || frame < 1 || frame > frames || count < 1 || count > 1'000'000) return false;
  if (text.find_first_not_of("0123456789x") != std::string::npos) return false;
  Recorder.presses[frame] += static_cast<int>(count);
  return true;
}

// "F:PATH" with F a frame from 1 to frames, or "last" when allowLast.
bool ParseOutput(const std::string& text, int64_t frames, bool allowLast,
                 std::vector<OutputRequest>& requests) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon + 1 == text.size()) return false;
  const std::string frameText = text.substr(0, colon);
  int64_t frame = 0;
  if (allowLast && frameText == "last") {
    frame = frames;
  } else {
    if (frameText.empty() || frameText.find_first_not_of("0123456789") != std::string::npos ||
        frameText.size() > 12)
      return false;
    frame = std::stoll(frameText);
  }
  if (frame < 1 || frame > frames) return false;
  requests.push_back({frame, text.substr(colon + 1)});
  return true;
}

// Creates and removes a scratch file next to the path: true when it could be written.
bool Writable(const std::string& path) {
  std::string scratch = path + ".XXXXXX";
  const int fd = mkstemp(scratch.data());
  if (fd < 0) return false;
  close(fd);
  std::remove(scratch.c_str());
  return true;
}

int BadArgument(const std::string& message) {
  std::fprintf(stderr, "explosions-record: %s\n", message.c_str());
  return BadArguments;
}

} // namespace

int main(int argc, char** argv) {
  CLI::App app{"Runs the explosions demo without a window, on virtual time (or the real clock), "
               "from a script of button presses, and writes what it would have shown.",
               "explosions-record"};
  bool realTime = false;
  Recorder.frames = 60;
  Recorder.frameMs = 16;
  Recorder.startMs = 10'000'000;
  std::vector<std::string> presses;
  std::vector<std::string> pngs;
  std::vector<std::string> particles;
  app.add_option("--frames", Recorder.frames, "Frames to run; the close is handled in the last")
      ->check(CLI::Range(int64_t{1}, int64_t{100'000'000}))
      ->capture_default_str();
  CLI::Option* frameMs =
      app.add_option("--frame-ms", Recorder.frameMs, "Virtual milliseconds every frame lasts")
          ->check(CLI::Range(int64_t{0}, int64_t{1'000'000}))
          ->capture_default_str();
  CLI::Option* startMs = app.add_option("--start-ms", Recorder.startMs,
                                        "Both millisecond clocks at the start, taken modulo 2^32")
                             ->check(CLI::NonNegativeNumber)
                             ->capture_default_str();
  app.add_option("--press", presses, "F or FxK: K presses (1) handled in frame F's drain");
  app.add_option("--press-every", Recorder.pressEvery,
                 "K: one more press in the drain of frames K, 2K, 3K, ...")
      ->check(CLI::Range(int64_t{1}, std::numeric_limits<int64_t>::max()));
  app.add_flag("--real-time", realTime,
               "Frames on the real clock, waiting for the frame cap, instead of virtual time")
      ->excludes(frameMs)
      ->excludes(startMs);
  app.add_flag("--stats", Stats.enabled,
               "At the end, on stderr: frames, wall time, fps, frame-time percentiles, peak "
               "memory and particle nodes");
  app.add_option("--png", pngs, "F:PATH: frame F (or last) as a 600x580 RGB PNG");
  app.add_option("--particles", particles, "F:PATH: the particle list after frame F, JSON Lines");
  app.add_option("--trace", Recorder.tracePath, "PATH: one JSON object per frame");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return BadArgument(e.what());
  }

  for (const std::string& p : presses)
    if (!ParsePress(p, Recorder.frames))
      return BadArgument("--press: '" + p + "' is not F or FxK with F from 1 to --frames");
  for (const std::string& p : pngs)
    if (!ParseOutput(p, Recorder.frames, true, Recorder.pngs))
      return BadArgument("--png: '" + p + "' is not F:PATH with F from 1 to --frames or last");
  for (const std::string& p : particles)
    if (!ParseOutput(p, Recorder.frames, false, Recorder.particles))
      return BadArgument("--particles: '" + p + "' is not F:PATH with F from 1 to --frames");
  for (const OutputRequest& r : Recorder.pngs)
    if (!Writable(r.path)) return BadArgument("--png: cannot write " + r.path);
  for (const OutputRequest& r : Recorder.particles)
    if (!Writable(r.path)) return BadArgument("--particles: cannot write " + r.path);
  if (!Recorder.tracePath.empty() && !Writable(Recorder.tracePath))
    return BadArgument("--trace: cannot write " + Recorder.tracePath);

  if (realTime) {
    UseRealClock();
  } else {
    UseVirtualClock(static_cast<uint32_t>(Recorder.startMs), 0);
    SetVirtualFrameTicks(Recorder.frameMs * 1000);
  }
  if (Stats.enabled) Stats.buckets.assign(OverflowBucket + 1, 0);
  SetHeadlessPresentHook(OnPresent);
  SetFrameHook(AfterFrame);
  StartUp(argc, argv);
  QueueEventsOfFrame(1);
  Stats.loopStartNs = Stats.frameStartNs = ReadWallNanoseconds();
  RunFrameLoop();
  const int nodes = CountParticleNodes();
  ShutDown();

  if (!Recorder.tracePath.empty() && !WriteWhole(Recorder.tracePath, [](FILE* f) {
        const std::string& t = Recorder.traceText;
        return std::fwrite(t.data(), 1, t.size(), f) == t.size();
      }))
    Fail("--trace: cannot write " + Recorder.tracePath);
  if (Stats.enabled) PrintStats(nodes);
  if (!Recorder.failure.empty()) return BadArgument(Recorder.failure);
  return 0;
}
