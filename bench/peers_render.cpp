// The ways of drawing a workload that the benchmarks compare: our renderer through the
// platform interface, a plain per-pixel loop, pixman, and OpenGL ES on Mesa's llvmpipe.
#include "peers_common.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef EXPLOSIONS_HAVE_PIXMAN
#include <pixman.h>
#endif
#ifdef EXPLOSIONS_HAVE_GLES
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>
#endif

namespace {

void TileGround(std::vector<uint32_t>& buffer) {
  const BenchTexture& g = GetTexture(0);
  if (g.width == 0) return;
  for (int y = 0; y < BenchHeight; ++y) {
    const uint32_t* row = &g.pixels[static_cast<size_t>(y % g.height) * g.width];
    uint32_t* out = &buffer[static_cast<size_t>(y) * BenchWidth];
    for (int x = 0; x < BenchWidth; x += g.width)
      std::memcpy(out + x, row, sizeof(uint32_t) * std::min(g.width, BenchWidth - x));
  }
}

// ---- Ours ----
struct OursPeer final : Peer {
  const Workload* work = nullptr;
  void Prepare(const Workload& w) override { work = &w; }
  void DrawFrame() override {
    for (int y = 0; y < BenchHeight; y += 256)
      for (int x = 0; x < BenchWidth; x += 256)
        DrawSprite(0, x, y);
    BeginQuads();
    for (const WorkDraw& d : work->draws) {
      if (d.pair == PairMultiply)
        SetBlendFactors(BlendZero, BlendSrcColor);
      else
        SetBlendFactors(BlendSrcColor, BlendOne);
      SetQuadSize(d.quad, 64, 64);
      if (d.rotated) RotateQuad(d.quad, d.angle, 0);
      DrawQuad(d.quad, d.x, d.y);
    }
    EndQuads();
  }
  void ReadFrame(std::vector<uint32_t>& out) override {
    const uint32_t* p = ScreenPixels();
    out.assign(p, p + static_cast<size_t>(BenchWidth) * BenchHeight);
  }
};

// ---- A plain per-pixel loop ----
uint32_t Div255(uint32_t v) {
  return (v + 127) / 255;
}

struct ScalarPeer final : Peer {
  const Workload* work = nullptr;
  std::vector<uint32_t> buffer;
  void Prepare(const Workload& w) override {
    work = &w;
    buffer.assign(static_cast<size_t>(BenchWidth) * BenchHeight, 0);
  }
  // One triangle of the strip; uv of the corners 0..3 are (0,0) (1,0) (0,1) (1,1). Ties on
  // an edge go to one side only, so the shared diagonal is drawn once.
  void Triangle(const WorkDraw& d, int a, int b, int c, const BenchTexture& t) {
    const float cu[4] = {0, 1, 0, 1}, cv[4] = {0, 0, 1, 1};
    float ax = d.cornerX[a], ay = d.cornerY[a], bx = d.cornerX[b], by = d.cornerY[b];
    float cx = d.cornerX[c], cy = d.cornerY[c];
    float area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    if (area == 0) return;
    if (area < 0) {
      std::swap(b, c);
      std::swap(bx, cx);
      std::swap(by, cy);
      area = -area;
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({ax, bx, cx}))));
    const int x1 = std::min(BenchWidth - 1, static_cast<int>(std::ceil(std::max({ax, bx, cx}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({ay, by, cy}))));
    const int y1 = std::min(BenchHeight - 1, static_cast<int>(std::ceil(std::max({ay, by, cy}))));
    auto edge = [](float px0, float py0, float px1, float py1, float px, float py) {
      const float e = (px1 - px0) * (py - py0) - (py1 - py0) * (px - px0);
      const float dy = py1 - py0, dx = px1 - px0;
      return e > 0 || (e == 0 && (dy > 0 || (dy == 0 && dx < 0)));
    };
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const float px = x + 0.5f, py = y + 0.5f;
        if (!edge(bx, by, cx, cy, px, py) || !edge(cx, cy, ax, ay, px, py) ||
            !edge(ax, ay, bx, by, px, py))
          continue;
        const float la = ((cx - bx) * (py - by) - (cy - by) * (px - bx)) / area;
        const float lb = ((ax - cx) * (py - cy) - (ay - cy) * (px - cx)) / area;
        const float lc = 1 - la - lb;
        const float u = la * cu[a] + lb * cu[b] + lc * cu[c];
        const float v = la * cv[a] + lb * cv[b] + lc * cv[c];
        const int tx = std::clamp(static_cast<int>(u * t.width), 0, t.width - 1);
        const int ty = std::clamp(static_cast<int>(v * t.height), 0, t.height - 1);
        const uint32_t s = t.pixels[static_cast<size_t>(ty) * t.width + tx];
        if (s == t.key) continue;
        uint32_t& dst = buffer[static_cast<size_t>(y) * BenchWidth + x];
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          const uint32_t sc = (s >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
          const uint32_t r = d.pair == PairMultiply ? Div255(sc * dc)
                                                    : std::min<uint32_t>(255, dc + Div255(sc * sc));
          out |= r << shift;
        }
        dst = out;
      }
  }
  void DrawFrame() override {
    TileGround(buffer);
    for (const WorkDraw& d : work->draws) {
      const BenchTexture& t = GetTexture(d.quad);
      Triangle(d, 0, 1, 2, t);
      Triangle(d, 1, 3, 2, t);
    }
  }
  void ReadFrame(std::vector<uint32_t>& out) override { out = buffer; }
};

#ifdef EXPLOSIONS_HAVE_PIXMAN
// ---- pixman ----
// blend: MULTIPLY with keyed texels made transparent, ADD with squared texels.
// in reverse: the multiply as IN_REVERSE of solid white through a component-alpha mask of
// the texels, keyed texels white; the mask's edge is repeated outside rotated quads (the
// art's edges are keyed or white, so that leaves the frame alone).
// fastest: the multiply as OVER of solid black through a component-alpha mask holding the
// inverted texels (d * t = d * (1 - (1 - t))), keyed texels a zero mask; ADD as above.
struct PixmanPeer final : Peer {
  int variant;
  bool fastest;
  bool inReverse;
  explicit PixmanPeer(int v)
      : variant(v), fastest(v == PixmanFastest), inReverse(v == PixmanInReverse) {}
  const Workload* work = nullptr;
  std::vector<uint32_t> buffer;
  pixman_image_t* dest = nullptr;
  pixman_image_t* ground = nullptr;
  pixman_image_t* black = nullptr;
  pixman_image_t* white = nullptr;
  std::vector<std::vector<uint32_t>> store;
  pixman_image_t* mulImage[9] = {};
  pixman_image_t* addImage[9] = {};

  pixman_image_t* Wrap(std::vector<uint32_t> px, int w, int h, pixman_format_code_t f) {
    store.push_back(std::move(px));
    return pixman_image_create_bits(f, w, h, store.back().data(), w * 4);
  }
  ~PixmanPeer() override {
    for (pixman_image_t* i : mulImage)
      if (i) pixman_image_unref(i);
    for (pixman_image_t* i : addImage)
      if (i) pixman_image_unref(i);
    if (dest) pixman_image_unref(dest);
    if (ground) pixman_image_unref(ground);
    if (black) pixman_image_unref(black);
    if (white) pixman_image_unref(white);
  }
  void Prepare(const Workload& w) override {
    work = &w;
    store.reserve(32);
    buffer.assign(static_cast<size_t>(BenchWidth) * BenchHeight, 0);
    dest = pixman_image_create_bits(PIXMAN_x8b8g8r8, BenchWidth, BenchHeight, buffer.data(),
                                    BenchWidth * 4);
    const BenchTexture& g = GetTexture(0);
    ground = Wrap(g.pixels, g.width, g.height, PIXMAN_x8b8g8r8);
    const pixman_color_t opaqueBlack = {0, 0, 0, 0xFFFF};
    black = pixman_image_create_solid_fill(&opaqueBlack);
    const pixman_color_t opaqueWhite = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    white = pixman_image_create_solid_fill(&opaqueWhite);
    for (const int s : {1, 2, 6, 7, 8}) {
      const BenchTexture& t = GetTexture(s);
      std::vector<uint32_t> mul(t.pixels.size()), add(t.pixels.size());
      for (size_t i = 0; i < t.pixels.size(); ++i) {
        const uint32_t p = t.pixels[i];
        const bool keyed = p == t.key;
        if (inReverse)
          mul[i] = keyed ? 0xFFFFFFFFu : 0xFF000000u | p;
        else if (fastest)
          mul[i] = keyed ? 0 : 0xFF000000u | (~p & 0xFFFFFF);
        else
          mul[i] = keyed ? 0 : 0xFF000000u | p;
        uint32_t sq = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          const uint32_t c = (p >> shift) & 0xFF;
          sq |= Div255(c * c) << shift;
        }
        add[i] = keyed ? 0 : 0xFF000000u | sq;
      }
      mulImage[s] = Wrap(mul, t.width, t.height, PIXMAN_a8b8g8r8);
      if (fastest || inReverse) pixman_image_set_component_alpha(mulImage[s], 1);
      if (inReverse) pixman_image_set_repeat(mulImage[s], PIXMAN_REPEAT_PAD);
      addImage[s] = Wrap(add, t.width, t.height, PIXMAN_a8b8g8r8);
    }
  }
  void DrawFrame() override {
    for (int y = 0; y < BenchHeight; y += 256)
      for (int x = 0; x < BenchWidth; x += 256)
        pixman_image_composite32(PIXMAN_OP_SRC, ground, nullptr, dest, 0, 0, 0, 0, x, y, 256, 256);
    for (const WorkDraw& d : work->draws) {
      pixman_image_t* tex = d.pair == PairMultiply ? mulImage[d.quad] : addImage[d.quad];
      int dx = d.x, dy = d.y, w = 64, h = 64;
      if (d.rotated) {
        // Texture coordinates from screen ones: the inverse of the map that puts texel
        // (0,0) at corner 0, (64,0) at corner 1 and (0,64) at corner 2.
        const double a = (d.cornerX[1] - d.cornerX[0]) / 64.0;
        const double b = (d.cornerX[2] - d.cornerX[0]) / 64.0;
        const double c = (d.cornerY[1] - d.cornerY[0]) / 64.0;
        const double e = (d.cornerY[2] - d.cornerY[0]) / 64.0;
        const double det = a * e - b * c;
        pixman_f_transform f{};
        f.m[0][0] = e / det;
        f.m[0][1] = -b / det;
        f.m[1][0] = -c / det;
        f.m[1][1] = a / det;
        f.m[0][2] = -(f.m[0][0] * d.cornerX[0] + f.m[0][1] * d.cornerY[0]);
        f.m[1][2] = -(f.m[1][0] * d.cornerX[0] + f.m[1][1] * d.cornerY[0]);
        f.m[2][2] = 1;
        pixman_transform_t t;
        pixman_transform_from_pixman_f_transform(&t, &f);
        pixman_image_set_transform(tex, &t);
        pixman_image_set_filter(tex, PIXMAN_FILTER_NEAREST, nullptr, 0);
        const float* xs = d.cornerX;
        const float* ys = d.cornerY;
        dx = static_cast<int>(std::floor(std::min({xs[0], xs[1], xs[2], xs[3]})));
        dy = static_cast<int>(std::floor(std::min({ys[0], ys[1], ys[2], ys[3]})));
        w = static_cast<int>(std::ceil(std::max({xs[0], xs[1], xs[2], xs[3]}))) - dx;
        h = static_cast<int>(std::ceil(std::max({ys[0], ys[1], ys[2], ys[3]}))) - dy;
      }
      // With a transform the texture is read at screen coordinates (origin = destination).
      const int sx = d.rotated ? dx : 0, sy = d.rotated ? dy : 0;
      if (d.pair == PairAdd)
        pixman_image_composite32(PIXMAN_OP_ADD, tex, nullptr, dest, sx, sy, 0, 0, dx, dy, w, h);
      else if (inReverse)
        pixman_image_composite32(PIXMAN_OP_IN_REVERSE, white, tex, dest, 0, 0, sx, sy, dx, dy, w,
                                 h);
      else if (fastest)
        pixman_image_composite32(PIXMAN_OP_OVER, black, tex, dest, 0, 0, sx, sy, dx, dy, w, h);
      else
        pixman_image_composite32(PIXMAN_OP_MULTIPLY, tex, nullptr, dest, sx, sy, 0, 0, dx, dy, w,
                                 h);
      if (d.rotated) pixman_image_set_transform(tex, nullptr);
    }
  }
  void ReadFrame(std::vector<uint32_t>& out) override {
    out = buffer;
    for (uint32_t& p : out)
      p &= 0xFFFFFF;
  }
};
#endif

#ifdef EXPLOSIONS_HAVE_GLES
// ---- OpenGL ES 2 on llvmpipe, without a display ----
const char* VertexShader = R"(
attribute vec2 position;
attribute vec2 texel;
varying vec2 uv;
void main() {
  uv = texel;
  gl_Position = vec4(position.x / 300.0 - 1.0, position.y / 290.0 - 1.0, 0.0, 1.0);
}
)";
const char* FragmentShader = R"(
precision mediump float;
varying vec2 uv;
uniform sampler2D image;
uniform float keyed;
void main() {
  vec4 t = texture2D(image, uv);
  if (keyed > 0.5 && t.a < 0.5) discard;
  gl_FragColor = vec4(t.rgb, 1.0);
}
)";

struct GlPeer final : Peer {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GLuint program = 0, target = 0, framebuffer = 0, groundTexture = 0, atlas = 0;
  GLint keyedUniform = -1;
  std::vector<float> vertices;           // x, y, u, v per vertex
  std::vector<std::pair<int, int>> runs; // (pair, vertex count) in draw order
  int groundVertices = 0;
  bool ok = false;

  bool Open() {
    auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getDisplay == nullptr) return false;
    display = getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT, EGL_NONE};
    // The display-less platform offers no configs; a context without one draws into FBOs.
    EGLConfig config = EGL_NO_CONFIG_KHR;
    EGLint count = 0;
    eglBindAPI(EGL_OPENGL_ES_API);
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count == 0)
      config = EGL_NO_CONFIG_KHR;
    const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) return false;
    return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
  }
  GLuint Texture(const std::vector<uint32_t>& px, int w, int h) {
    GLuint t = 0;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return t;
  }
  GLuint Shader(GLenum kind, const char* text) {
    const GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &text, nullptr);
    glCompileShader(s);
    return s;
  }
  // Two triangles of the strip 0, 1, 2, 3 with texture coordinates in the atlas.
  void AddQuad(const float* xs, const float* ys, float u0, float u1, float v0, float v1) {
    const int order[6] = {0, 1, 2, 1, 3, 2};
    const float us[4] = {u0, u1, u0, u1}, vs[4] = {v0, v0, v1, v1};
    for (const int i : order)
      vertices.insert(vertices.end(), {xs[i], ys[i], us[i], vs[i]});
  }
  void Prepare(const Workload& w) override {
    if (!Open()) return;
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, BenchWidth, BenchHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return;
    glViewport(0, 0, BenchWidth, BenchHeight);
    const BenchTexture& g = GetTexture(0);
    groundTexture = Texture(g.pixels, g.width, g.height);
    // An atlas of the five drawn sprites side by side; keyed texels get alpha 0.
    const int sprites[5] = {1, 2, 6, 7, 8};
    std::vector<uint32_t> px(64 * 5 * 64);
    for (int k = 0; k < 5; ++k) {
      const BenchTexture& t = GetTexture(sprites[k]);
      for (int y = 0; y < 64 && y < t.height; ++y)
        for (int x = 0; x < 64 && x < t.width; ++x) {
          const uint32_t p = t.pixels[static_cast<size_t>(y) * t.width + x];
          px[static_cast<size_t>(y) * 320 + k * 64 + x] = (p == t.key ? 0 : 0xFF000000u) | p;
        }
    }
    atlas = Texture(px, 320, 64);
    program = glCreateProgram();
    glAttachShader(program, Shader(GL_VERTEX_SHADER, VertexShader));
    glAttachShader(program, Shader(GL_FRAGMENT_SHADER, FragmentShader));
    glBindAttribLocation(program, 0, "position");
    glBindAttribLocation(program, 1, "texel");
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) return;
    glUseProgram(program);
    keyedUniform = glGetUniformLocation(program, "keyed");
    glUniform1i(glGetUniformLocation(program, "image"), 0);
    for (int y = 0; y < BenchHeight; y += 256)
      for (int x = 0; x < BenchWidth; x += 256) {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        const float xs[4] = {fx, fx + 256, fx, fx + 256}, ys[4] = {fy, fy, fy + 256, fy + 256};
        AddQuad(xs, ys, 0, 1, 0, 1);
      }
    groundVertices = static_cast<int>(vertices.size() / 4);
    for (const WorkDraw& d : w.draws) {
      const int k = static_cast<int>(std::find(sprites, sprites + 5, d.quad) - sprites);
      AddQuad(d.cornerX, d.cornerY, k / 5.0f, (k + 1) / 5.0f, 0, 1);
      if (runs.empty() || runs.back().first != d.pair)
        runs.push_back({d.pair, 6});
      else
        runs.back().second += 6;
    }
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, vertices.data());
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, vertices.data() + 2);
    ok = glGetError() == GL_NO_ERROR;
  }
  bool Ready() const override { return ok; }
  ~GlPeer() override {
    if (display != EGL_NO_DISPLAY) {
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
      eglTerminate(display);
    }
  }
  void DrawFrame() override {
    if (!ok) return;
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, groundTexture);
    glUniform1f(keyedUniform, 0);
    glDrawArrays(GL_TRIANGLES, 0, groundVertices);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glUniform1f(keyedUniform, 1);
    int first = groundVertices;
    for (const auto& [pair, count] : runs) {
      if (pair == PairMultiply)
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
      else
        glBlendFunc(GL_SRC_COLOR, GL_ONE);
      glDrawArrays(GL_TRIANGLES, first, count);
      first += count;
    }
    glFinish();
  }
  void ReadFrame(std::vector<uint32_t>& out) override {
    out.assign(static_cast<size_t>(BenchWidth) * BenchHeight, 0);
    if (!ok) return;
    glReadPixels(0, 0, BenchWidth, BenchHeight, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    for (uint32_t& p : out)
      p &= 0xFFFFFF;
  }
};
#endif

// ---- The limits: copying the back buffer, and touching every pixel once ----
struct CopyPeer final : Peer {
  std::vector<uint32_t> source, buffer;
  void Prepare(const Workload&) override {
    source.assign(static_cast<size_t>(BenchWidth) * BenchHeight, 0x123456);
    buffer.assign(source.size(), 0);
  }
  void DrawFrame() override {
    std::memcpy(buffer.data(), source.data(), buffer.size() * sizeof(uint32_t));
  }
  void ReadFrame(std::vector<uint32_t>& out) override { out = buffer; }
};
struct TouchPeer final : Peer {
  std::vector<uint32_t> buffer;
  void Prepare(const Workload&) override {
    buffer.assign(static_cast<size_t>(BenchWidth) * BenchHeight, 0);
  }
  void DrawFrame() override {
    uint32_t* p = buffer.data();
    const size_t n = buffer.size();
    for (size_t i = 0; i < n; ++i)
      p[i] = (p[i] + 0x010101) & 0xFFFFFF;
  }
  void ReadFrame(std::vector<uint32_t>& out) override { out = buffer; }
};

} // namespace

std::unique_ptr<Peer> MakeOursPeer() {
  return std::make_unique<OursPeer>();
}
std::unique_ptr<Peer> MakeScalarPeer() {
  return std::make_unique<ScalarPeer>();
}
std::unique_ptr<Peer> MakePixmanPeer([[maybe_unused]] int variant) {
#ifdef EXPLOSIONS_HAVE_PIXMAN
  return std::make_unique<PixmanPeer>(variant);
#else
  return nullptr;
#endif
}
std::unique_ptr<Peer> MakeGlPeer() {
#ifdef EXPLOSIONS_HAVE_GLES
  return std::make_unique<GlPeer>();
#else
  return nullptr;
#endif
}

const std::vector<PeerEntry>& PeerList() {
  static const std::vector<PeerEntry> list = {
      {"ours", MakeOursPeer},
      {"scalar", MakeScalarPeer},
#ifdef EXPLOSIONS_HAVE_PIXMAN
      {"pixman_multiply_add", [] { return MakePixmanPeer(PixmanMultiplyAdd); }},
      {"pixman_in_reverse", [] { return MakePixmanPeer(PixmanInReverse); }},
      {"pixman_fastest", [] { return MakePixmanPeer(PixmanFastest); }},
#endif
#ifdef EXPLOSIONS_HAVE_GLES
      {"llvmpipe_gles2", MakeGlPeer},
#endif
      {"limit_memcpy", [] { return std::unique_ptr<Peer>(std::make_unique<CopyPeer>()); }},
      {"limit_touch_once", [] { return std::unique_ptr<Peer>(std::make_unique<TouchPeer>()); }},
  };
  return list;
}
