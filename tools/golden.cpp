// golden: renders the golden scene, rewrites the committed golden picture on purpose, and
// shows where two pictures differ.
//
//   golden check [diff.png]        compare a fresh rendering with the committed picture
//   golden update                  rewrite tests/platform/golden/scene.png from a rendering
//   golden render out.png          write a fresh rendering somewhere else
//   golden diff a.png b.png [diff.png]
//
// A difference is reported as the count of differing pixels and their bounding box; the
// optional diff picture shows the first picture dimmed with the differing pixels in red.
// Exit code: 0 when equal (or written), 1 when different, 2 on a usage or file error.
#include "golden_scene.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage() {
  std::fprintf(stderr, "usage: golden check [diff.png] | update | render out.png |"
                       " diff a.png b.png [diff.png]\n");
  return 2;
}

Picture Render() {
  Picture p = RenderGoldenScene();
  if (p.width == 0) std::fprintf(stderr, "golden: the sprite set could not be loaded\n");
  return p;
}

int Write(const std::string& path, const Picture& p) {
  if (p.width == 0) return 2;
  if (!WritePicture(path, p)) {
    std::fprintf(stderr, "golden: cannot write %s\n", path.c_str());
    return 2;
  }
  std::printf("wrote %s (%d x %d)\n", path.c_str(), p.width, p.height);
  return 0;
}

// Prints the comparison of a with b and writes the diff picture when asked.
int Report(const Picture& a, const Picture& b, const char* diffPath) {
  const PictureDifference d = ComparePictures(a, b);
  if (d.sizesDiffer) {
    std::printf("sizes differ: %d x %d against %d x %d\n", a.width, a.height, b.width, b.height);
    return 1;
  }
  if (d.count == 0) {
    std::printf("identical (%d x %d)\n", a.width, a.height);
    return 0;
  }
  std::printf("%lld pixels differ, within x %d..%d, y %d..%d\n", static_cast<long long>(d.count),
              d.left, d.right, d.top, d.bottom);
  if (diffPath != nullptr && Write(diffPath, DifferencePicture(a, b)) != 0) return 2;
  return 1;
}

bool Read(const std::string& path, Picture& p) {
  if (ReadPicture(path, p)) return true;
  std::fprintf(stderr, "golden: cannot read %s\n", path.c_str());
  return false;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "update" && argc == 2) return Write(GoldenScenePath(), Render());
  if (command == "render" && argc == 3) return Write(argv[2], Render());
  if (command == "check" && argc <= 3) {
    Picture golden;
    if (!Read(GoldenScenePath(), golden)) return 2;
    const Picture fresh = Render();
    if (fresh.width == 0) return 2;
    return Report(fresh, golden, argc == 3 ? argv[2] : nullptr);
  }
  if (command == "diff" && (argc == 4 || argc == 5)) {
    Picture a, b;
    if (!Read(argv[2], a) || !Read(argv[3], b)) return 2;
    return Report(a, b, argc == 5 ? argv[4] : nullptr);
  }
  return Usage();
}
