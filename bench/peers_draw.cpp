// The peers: other ways of drawing the workload's frame, each into a buffer of its own.
#include "workload.h"

#include "platform/internal.h"
#include "platform/platform.h"
#include "sprites/sprites.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef EXPLOSIONS_PEER_PIXMAN
#include <pixman.h>
#endif
#ifdef EXPLOSIONS_PEER_GL
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>
#endif

namespace {

// Ground tiles as 2-D copies, clipped to the frame.
void CopyGround(uint32_t* frame) {
  const SpriteRecord* g = FindSprite(SpriteGround);
  if (g == nullptr) return;
  for (int ty = 0; ty < FrameHeight; ty += 256)
    for (int tx = 0; tx < FrameWidth; tx += 256) {
      const int w = std::min(g->width, FrameWidth - tx);
      const int h = std::min(g->height, FrameHeight - ty);
      for (int y = 0; y < h; ++y)
        std::memcpy(frame + (ty + y) * FrameWidth + tx, g->pixels.data() + y * g->width,
                    static_cast<size_t>(w) * 4);
    }
}

int Channel(uint32_t c, int shift) {
  return static_cast<int>((c >> shift) & 0xFF);
}

uint32_t BlendScalar(bool adding, uint32_t s, uint32_t d) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int sc = Channel(s, shift);
    const int dc = Channel(d, shift);
    const int v = adding ? std::min(255, dc + (sc * sc + 127) / 255) : (dc * sc + 127) / 255;
    out |= static_cast<uint32_t>(v) << shift;
  }
  return out;
}

// Barycentric weights of (px, py) in triangle a, b, c; false when outside or degenerate.
bool Weights(const float* x, const float* y, int a, int b, int c, float px, float py,
             float (&wt)[3]) {
  const float area = (x[b] - x[a]) * (y[c] - y[a]) - (y[b] - y[a]) * (x[c] - x[a]);
  if (area == 0) return false;
  wt[0] = ((x[b] - px) * (y[c] - py) - (y[b] - py) * (x[c] - px)) / area;
  wt[1] = ((x[c] - px) * (y[a] - py) - (y[c] - py) * (x[a] - px)) / area;
  wt[2] = 1 - wt[0] - wt[1];
  return wt[0] >= 0 && wt[1] >= 0 && wt[2] >= 0;
}

#ifdef EXPLOSIONS_PEER_PIXMAN
struct PixmanTextures {
  std::vector<uint32_t> keyed, squared, mask; // the texels behind the images below
  pixman_image_t* keyedImage;   // keyed texels transparent, others opaque (premultiplied)
  pixman_image_t* squaredImage; // keyed texels 0, others squared per channel
  pixman_image_t* maskImage;    // component alpha: keyed texels white, one white border
  int width;
  int height;
};
struct PixmanState {
  bool started;
  PixmanTextures textures[9];
  std::vector<uint32_t> frame;
  std::vector<uint32_t> ground;
  pixman_image_t* frameImage;
  pixman_image_t* groundImage;
  pixman_image_t* white;
};
PixmanState Pixman{};

pixman_image_t* Image(pixman_format_code_t format, int w, int h, std::vector<uint32_t>& bits) {
  pixman_image_t* image = pixman_image_create_bits(format, w, h, bits.data(), w * 4);
  pixman_image_set_filter(image, PIXMAN_FILTER_NEAREST, nullptr, 0);
  return image;
}

void DestroyTextures(PixmanTextures& t) {
  for (pixman_image_t* image : {t.keyedImage, t.squaredImage, t.maskImage})
    if (image != nullptr) pixman_image_unref(image);
  t = PixmanTextures{};
}

void PrepareTextures(PixmanTextures& t, const SpriteRecord& s) {
  const int w = s.width;
  const int h = s.height;
  t.width = w;
  t.height = h;
  t.keyed.assign(static_cast<size_t>(w) * h, 0);
  t.squared.assign(static_cast<size_t>(w) * h, 0);
  t.mask.assign(static_cast<size_t>(w + 2) * (h + 2), 0xFFFFFFFF);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = s.pixels[y * w + x];
      if (c == s.colourKey) continue;
      t.keyed[y * w + x] = c | 0xFF000000;
      uint32_t sq = 0xFF000000;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t v = Channel(c, shift);
        sq |= ((v * v + 127) / 255) << shift;
      }
      t.squared[y * w + x] = sq;
      t.mask[(y + 1) * (w + 2) + x + 1] = c | 0xFF000000;
    }
  t.keyedImage = Image(PIXMAN_a8b8g8r8, w, h, t.keyed);
  t.squaredImage = Image(PIXMAN_a8b8g8r8, w, h, t.squared);
  t.maskImage = Image(PIXMAN_a8b8g8r8, w + 2, h + 2, t.mask);
  pixman_image_set_component_alpha(t.maskImage, 1);
  pixman_image_set_repeat(t.maskImage, PIXMAN_REPEAT_PAD);
}

// The map from frame coordinates to texture coordinates for a quad's corners 0, 1, 2;
// false when the quad is the plain unrotated square (drawn with an offset instead).
bool QuadTransform(const WorkloadQuad& q, int w, int h, double border, pixman_transform_t& t) {
  const double ax = (q.cornerX[1] - q.cornerX[0]) / w, ay = (q.cornerY[1] - q.cornerY[0]) / w;
  const double bx = (q.cornerX[2] - q.cornerX[0]) / h, by = (q.cornerY[2] - q.cornerY[0]) / h;
  if (ax == 1 && ay == 0 && bx == 0 && by == 1) return false;
  double det = ax * by - ay * bx;
  if (det == 0) det = 1e-6;
  const double m[2][2] = {{by / det, -bx / det}, {-ay / det, ax / det}};
  const double ox = -(m[0][0] * q.cornerX[0] + m[0][1] * q.cornerY[0]) + border;
  const double oy = -(m[1][0] * q.cornerX[0] + m[1][1] * q.cornerY[0]) + border;
  pixman_transform_init_identity(&t);
  t.matrix[0][0] = pixman_double_to_fixed(m[0][0]);
  t.matrix[0][1] = pixman_double_to_fixed(m[0][1]);
  t.matrix[0][2] = pixman_double_to_fixed(ox);
  t.matrix[1][0] = pixman_double_to_fixed(m[1][0]);
  t.matrix[1][1] = pixman_double_to_fixed(m[1][1]);
  t.matrix[1][2] = pixman_double_to_fixed(oy);
  return true;
}

void CompositeQuad(const WorkloadQuad& q, PixmanVariant variant) {
  PixmanTextures& t = Pixman.textures[q.quad];
  if (t.keyedImage == nullptr) return;
  const bool adding = q.source == BlendSrcColor;
  const bool masked = !adding && variant == PixmanInReverseAdd;
  pixman_image_t* image = adding ? t.squaredImage : masked ? t.maskImage : t.keyedImage;
  pixman_transform_t transform;
  const int border = masked ? 1 : 0;
  if (!QuadTransform(q, t.width, t.height, border, transform)) {
    const int x = static_cast<int>(q.cornerX[0]);
    const int y = static_cast<int>(q.cornerY[0]);
    if (masked)
      pixman_image_composite32(PIXMAN_OP_IN_REVERSE, Pixman.white, image, Pixman.frameImage, 0, 0,
                               border, border, x, y, t.width, t.height);
    else
      pixman_image_composite32(adding ? PIXMAN_OP_ADD : PIXMAN_OP_MULTIPLY, image, nullptr,
                               Pixman.frameImage, 0, 0, 0, 0, x, y, t.width, t.height);
    return;
  }
  const float* cx = q.cornerX;
  const float* cy = q.cornerY;
  const int x0 = static_cast<int>(std::floor(std::min({cx[0], cx[1], cx[2], cx[3]})));
  const int y0 = static_cast<int>(std::floor(std::min({cy[0], cy[1], cy[2], cy[3]})));
  const int x1 = static_cast<int>(std::ceil(std::max({cx[0], cx[1], cx[2], cx[3]})));
  const int y1 = static_cast<int>(std::ceil(std::max({cy[0], cy[1], cy[2], cy[3]})));
  pixman_image_set_transform(image, &transform);
  if (masked)
    pixman_image_composite32(PIXMAN_OP_IN_REVERSE, Pixman.white, image, Pixman.frameImage, 0, 0, x0,
                             y0, x0, y0, x1 - x0, y1 - y0);
  else
    pixman_image_composite32(adding ? PIXMAN_OP_ADD : PIXMAN_OP_MULTIPLY, image, nullptr,
                             Pixman.frameImage, x0, y0, 0, 0, x0, y0, x1 - x0, y1 - y0);
  pixman_image_set_transform(image, nullptr);
}
#endif

#ifdef EXPLOSIONS_PEER_GL
struct GlState {
  bool started;
  EGLDisplay display;
  EGLContext context;
  GLuint target;
  GLuint framebuffer;
  GLuint program;
  GLint position;
  GLint texel;
  GLuint textures[9];
};
GlState Gl{};

const char* const VertexShader = R"(
attribute vec2 position;
attribute vec2 texel;
varying vec2 uv;
void main() {
  uv = texel;
  gl_Position = vec4(position.x * (2.0 / 600.0) - 1.0, position.y * (2.0 / 580.0) - 1.0, 0, 1);
}
)";
const char* const FragmentShader = R"(
precision mediump float;
uniform sampler2D image;
varying vec2 uv;
void main() {
  vec4 c = texture2D(image, uv);
  if (c.a < 0.5) discard;
  gl_FragColor = vec4(c.rgb, 1.0);
}
)";

GLuint Shader(GLenum kind, const char* text) {
  const GLuint s = glCreateShader(kind);
  glShaderSource(s, 1, &text, nullptr);
  glCompileShader(s);
  return s;
}

// A texture of the sprite with alpha 0 on keyed texels (texture sprites) and 255 elsewhere.
GLuint Texture(const SpriteRecord& s, bool keyed) {
  std::vector<uint32_t> texels(s.pixels.size());
  for (size_t i = 0; i < texels.size(); ++i)
    texels[i] = keyed && s.pixels[i] == s.colourKey ? 0 : s.pixels[i] | 0xFF000000;
  GLuint t = 0;
  glGenTextures(1, &t);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, s.width, s.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               texels.data());
  return t;
}

void DrawGlQuad(GLuint texture, const float (&corners)[4][2]) {
  static const float uv[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  glBindTexture(GL_TEXTURE_2D, texture);
  glVertexAttribPointer(static_cast<GLuint>(Gl.position), 2, GL_FLOAT, GL_FALSE, 0, corners);
  glVertexAttribPointer(static_cast<GLuint>(Gl.texel), 2, GL_FLOAT, GL_FALSE, 0, uv);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}
#endif

} // namespace

void DrawWorkloadScalar(const Workload& w, uint32_t* frame) {
  CopyGround(frame);
  static const float U[4] = {0, 1, 0, 1};
  static const float V[4] = {0, 0, 1, 1};
  for (const WorkloadQuad& q : w.quads) {
    const SpriteRecord* s = FindSprite(q.quad);
    if (s == nullptr || s->width <= 0 || s->height <= 0) continue;
    const bool adding = q.source == BlendSrcColor;
    const float* cx = q.cornerX;
    const float* cy = q.cornerY;
    const int x0 =
        std::max(0, static_cast<int>(std::floor(std::min({cx[0], cx[1], cx[2], cx[3]}))));
    const int y0 =
        std::max(0, static_cast<int>(std::floor(std::min({cy[0], cy[1], cy[2], cy[3]}))));
    const int x1 =
        std::min(FrameWidth, static_cast<int>(std::ceil(std::max({cx[0], cx[1], cx[2], cx[3]}))));
    const int y1 =
        std::min(FrameHeight, static_cast<int>(std::ceil(std::max({cy[0], cy[1], cy[2], cy[3]}))));
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const float px = static_cast<float>(x) + 0.5f;
        const float py = static_cast<float>(y) + 0.5f;
        float wt[3];
        int a = 0, b = 1, c = 2;
        if (!Weights(cx, cy, a, b, c, px, py, wt)) {
          a = 1, b = 3, c = 2;
          if (!Weights(cx, cy, a, b, c, px, py, wt)) continue;
        }
        const float u = wt[0] * U[a] + wt[1] * U[b] + wt[2] * U[c];
        const float v = wt[0] * V[a] + wt[1] * V[b] + wt[2] * V[c];
        const int tx =
            std::clamp(static_cast<int>(u * static_cast<float>(s->width)), 0, s->width - 1);
        const int ty =
            std::clamp(static_cast<int>(v * static_cast<float>(s->height)), 0, s->height - 1);
        const uint32_t texel = s->pixels[ty * s->width + tx];
        if (texel == s->colourKey) continue;
        uint32_t& d = frame[y * FrameWidth + x];
        d = BlendScalar(adding, texel, d);
      }
  }
}

void TouchFrameOnce(uint32_t* frame) {
  for (int i = 0; i < FrameWidth * FrameHeight; ++i)
    frame[i] += 1;
}

void CopyFrame(const uint32_t* from, uint32_t* to) {
  std::memcpy(to, from, sizeof(uint32_t) * FrameWidth * FrameHeight);
}

#ifdef EXPLOSIONS_PEER_PIXMAN
bool StartPixmanPeer() {
  StopPixmanPeer();
  const SpriteRecord* ground = FindSprite(SpriteGround);
  if (ground == nullptr) return false;
  for (const int n : {1, 2, 6, 7, 8}) {
    const SpriteRecord* s = FindSprite(n);
    if (s == nullptr || s->width <= 0) return false;
    PrepareTextures(Pixman.textures[n], *s);
  }
  Pixman.frame.assign(static_cast<size_t>(FrameWidth) * FrameHeight, 0);
  Pixman.frameImage = Image(PIXMAN_x8b8g8r8, FrameWidth, FrameHeight, Pixman.frame);
  Pixman.ground = ground->pixels;
  Pixman.groundImage = Image(PIXMAN_x8b8g8r8, ground->width, ground->height, Pixman.ground);
  const pixman_color_t white = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  Pixman.white = pixman_image_create_solid_fill(&white);
  Pixman.started = true;
  return true;
}

void DrawWorkloadPixman(const Workload& w, PixmanVariant variant) {
  if (!Pixman.started) return;
  for (int y = 0; y < FrameHeight; y += 256)
    for (int x = 0; x < FrameWidth; x += 256)
      pixman_image_composite32(PIXMAN_OP_SRC, Pixman.groundImage, nullptr, Pixman.frameImage, 0, 0,
                               0, 0, x, y, 256, 256);
  for (const WorkloadQuad& q : w.quads)
    CompositeQuad(q, variant);
}

const uint32_t* PixmanFrame() {
  return Pixman.started ? Pixman.frame.data() : nullptr;
}

void StopPixmanPeer() {
  for (PixmanTextures& t : Pixman.textures)
    DestroyTextures(t);
  for (pixman_image_t* image : {Pixman.frameImage, Pixman.groundImage, Pixman.white})
    if (image != nullptr) pixman_image_unref(image);
  Pixman = PixmanState{};
}
#else
bool StartPixmanPeer() {
  return false;
}
void DrawWorkloadPixman(const Workload&, PixmanVariant) {}
const uint32_t* PixmanFrame() {
  return nullptr;
}
void StopPixmanPeer() {}
#endif

#ifdef EXPLOSIONS_PEER_GL
bool StartGlPeer() {
  StopGlPeer();
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) return false;
  Gl.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (Gl.display == EGL_NO_DISPLAY || !eglInitialize(Gl.display, nullptr, nullptr)) return false;
  eglBindAPI(EGL_OPENGL_ES_API);
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT,
                                     EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(Gl.display, configAttributes, &config, 1, &count) || count < 1) {
    eglTerminate(Gl.display);
    return false;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
  Gl.context = eglCreateContext(Gl.display, config, EGL_NO_CONTEXT, contextAttributes);
  if (Gl.context == EGL_NO_CONTEXT ||
      !eglMakeCurrent(Gl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, Gl.context)) {
    eglTerminate(Gl.display);
    return false;
  }
  glGenTextures(1, &Gl.target);
  glBindTexture(GL_TEXTURE_2D, Gl.target);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, FrameWidth, FrameHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               nullptr);
  glGenFramebuffers(1, &Gl.framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, Gl.framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, Gl.target, 0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  glViewport(0, 0, FrameWidth, FrameHeight);
  Gl.program = glCreateProgram();
  glAttachShader(Gl.program, Shader(GL_VERTEX_SHADER, VertexShader));
  glAttachShader(Gl.program, Shader(GL_FRAGMENT_SHADER, FragmentShader));
  glLinkProgram(Gl.program);
  GLint linked = 0;
  glGetProgramiv(Gl.program, GL_LINK_STATUS, &linked);
  if (!linked) return false;
  glUseProgram(Gl.program);
  Gl.position = glGetAttribLocation(Gl.program, "position");
  Gl.texel = glGetAttribLocation(Gl.program, "texel");
  glEnableVertexAttribArray(static_cast<GLuint>(Gl.position));
  glEnableVertexAttribArray(static_cast<GLuint>(Gl.texel));
  for (const int n : {0, 1, 2, 6, 7, 8}) {
    const SpriteRecord* s = FindSprite(n);
    if (s == nullptr || s->width <= 0) return false;
    Gl.textures[n] = Texture(*s, n != SpriteGround);
  }
  Gl.started = true;
  return true;
}

void DrawWorkloadGl(const Workload& w) {
  if (!Gl.started) return;
  glDisable(GL_BLEND);
  for (int y = 0; y < FrameHeight; y += 256)
    for (int x = 0; x < FrameWidth; x += 256) {
      const float fx = static_cast<float>(x), fy = static_cast<float>(y);
      const float corners[4][2] = {{fx, fy}, {fx + 256, fy}, {fx, fy + 256}, {fx + 256, fy + 256}};
      DrawGlQuad(Gl.textures[SpriteGround], corners);
    }
  glEnable(GL_BLEND);
  for (const WorkloadQuad& q : w.quads) {
    if (q.source == BlendSrcColor)
      glBlendFunc(GL_SRC_COLOR, GL_ONE);
    else
      glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    float corners[4][2];
    for (int i = 0; i < 4; ++i) {
      corners[i][0] = q.cornerX[i];
      corners[i][1] = q.cornerY[i];
    }
    DrawGlQuad(Gl.textures[q.quad], corners);
  }
  glFinish();
}

void ReadGlFrame(uint32_t* frame) {
  if (!Gl.started) return;
  glReadPixels(0, 0, FrameWidth, FrameHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame);
  for (int i = 0; i < FrameWidth * FrameHeight; ++i)
    frame[i] &= 0xFFFFFF;
}

void StopGlPeer() {
  if (Gl.display != nullptr) {
    eglMakeCurrent(Gl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (Gl.context != EGL_NO_CONTEXT) eglDestroyContext(Gl.display, Gl.context);
    eglTerminate(Gl.display);
  }
  Gl = GlState{};
}
#else
bool StartGlPeer() {
  return false;
}
void DrawWorkloadGl(const Workload&) {}
void ReadGlFrame(uint32_t*) {}
void StopGlPeer() {}
#endif
