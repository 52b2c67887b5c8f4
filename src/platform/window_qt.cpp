// The window back end on Qt Widgets: the one fixed-size main window, its push button, the
// screen image at the top of its client area, and the events they record for the poll.
#include "platform/platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <memory>

namespace {

// A close request is recorded and refused: the window stays until CloseMainWindow.
class MainWindow : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void closeEvent(QCloseEvent* event) override;
};

// Keeps a copy of the last shown frame and paints it whenever asked, magnified without
// smoothing where the desktop scales logical pixels up.
class ScreenWidget : public QWidget {
public:
  explicit ScreenWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  QImage image; // the last frame, or null before the first

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (image.isNull())
      painter.fillRect(rect(), Qt::black);
    else
      painter.drawImage(rect(), image);
  }
};

struct QtWindowState {
  std::unique_ptr<QApplication> application; // created by StartWindowSystem
  int argc;                                  // QApplication keeps a reference to it
  char** argv;                               // the program's arguments, or ProgramName
  MainWindow* window;                        // the main window, or null
  QPushButton* button;                       // its push button, or null
  ScreenWidget* screen;                      // the screen image, or null
  intptr_t controlParent;                    // window that new controls go into
  std::deque<int> events;                    // recorded codes, oldest first
};
QtWindowState Window{};

char ProgramNameText[] = "explosions";
char* ProgramName[] = {ProgramNameText, nullptr};

void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  Window.events.push_back(EventClose);
}

intptr_t HandleOf(const QWidget* widget) {
  return reinterpret_cast<intptr_t>(widget);
}

} // namespace

// The desktop's own scale is kept (the window is 600 x 600 of its logical pixels), but the
// variables that force another scale on the toolkit are dropped: they would resize the client
// area and stretch the picture by a factor the desktop never asked for.
void StartWindowSystem(int argc, char** argv) {
  if (Window.application != nullptr) return;
  for (const char* forced :
       {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING"})
    qunsetenv(forced);
  Window.argc = argv != nullptr && argc > 0 ? argc : 1;
  Window.argv = argv != nullptr && argc > 0 ? argv : ProgramName;
  Window.application = std::make_unique<QApplication>(Window.argc, Window.argv);
}

// Opens the one window with a client area of exactly width x height, fixed. With
// WindowCentred the outer frame is centred on the primary screen, halves taken by shifts.
intptr_t OpenMainWindow(int number, int x, int y, int width, int height, uint32_t flags,
                        const char* title) {
  if (number != 0 || Window.application == nullptr || Window.window != nullptr || width <= 0 ||
      height <= 0)
    return 0;
  auto* window =
      new MainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                  Qt::WindowCloseButtonHint);
  window->setFixedSize(width, height);
  window->setWindowTitle(QString::fromUtf8(title != nullptr ? title : ""));
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  window->setPalette(palette);
  window->setAutoFillBackground(true);
  window->move(x, y);
  window->show();
  const QScreen* screen = QGuiApplication::primaryScreen();
  if ((flags & WindowCentred) != 0 && screen != nullptr) {
    const QRect desktop = screen->geometry();
    const QRect outer = window->frameGeometry();
    const int left = (desktop.width() >> 1) - (std::min(outer.width(), desktop.width()) >> 1);
    const int top = (desktop.height() >> 1) - (std::min(outer.height(), desktop.height()) >> 1);
    window->move(desktop.x() + left, desktop.y() + top);
  }
  Window.window = window;
  return HandleOf(window);
}

intptr_t CurrentWindowHandle() {
  return HandleOf(Window.window);
}

void SetControlParent(intptr_t handle) {
  Window.controlParent = handle;
}

// A standard push button in the control parent, in the desktop's default font at a pixel
// size that fits its height; each click records one EventButton.
intptr_t AddPushButton(int, int x, int y, int width, int height, const char* text) {
  if (Window.window == nullptr || Window.controlParent != HandleOf(Window.window) || width <= 0 ||
      height <= 0)
    return 0;
  delete Window.button;
  auto* button = new QPushButton(QString::fromUtf8(text != nullptr ? text : ""), Window.window);
  QFont font = QApplication::font();
  font.setPixelSize(std::max(1, height * 3 / 5));
  button->setFont(font);
  button->setGeometry(x, y, width, height);
  QObject::connect(button, &QPushButton::clicked, [] { Window.events.push_back(EventButton); });
  button->show();
  Window.button = button;
  return HandleOf(button);
}

// Lets Qt handle whatever is pending, without waiting, then hands out one recorded event.
int PollWindowEvent() {
  if (Window.application != nullptr) QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (Window.events.empty()) return 0;
  const int code = Window.events.front();
  Window.events.pop_front();
  return code;
}

void SetMainWindowTitle(int number, const char* text) {
  if (number != 0 || Window.window == nullptr) return;
  Window.window->setWindowTitle(QString::fromUtf8(text != nullptr ? text : ""));
}

// Deleting the window closes it without a close request; the button and screen go with it.
void CloseMainWindow() {
  delete Window.window;
  Window.window = nullptr;
  Window.button = nullptr;
  Window.screen = nullptr;
  Window.controlParent = 0;
}

void StopWindowSystem() {
  CloseMainWindow();
  Window.events.clear();
  Window.application.reset();
}

int AttachScreenToWindow(intptr_t window, int x, int y, int width, int height) {
  if (Window.window == nullptr || window != HandleOf(Window.window) || width <= 0 || height <= 0)
    return 0;
  delete Window.screen;
  Window.screen = new ScreenWidget(Window.window);
  Window.screen->setGeometry(x, y, width, height);
  Window.screen->show();
  return 1;
}

// Keeps a copy (pixels hold red in the low byte) and asks for a repaint.
// The back buffer keeps red in the low byte; the image is 0xFFRRGGBB words, the layout
// the window's own surface uses, so painting it needs no further conversion.
void ShowScreenImage(const uint32_t* pixels, int width, int height) {
  if (Window.screen == nullptr || pixels == nullptr || width <= 0 || height <= 0) return;
  QImage& image = Window.screen->image;
  if (image.width() != width || image.height() != height)
    image = QImage(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    const uint32_t* source = pixels + static_cast<size_t>(y) * width;
    auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const uint32_t p = source[x];
      line[x] = 0xFF000000 | (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
    }
  }
  Window.screen->update();
}

void DetachScreen() {
  delete Window.screen;
  Window.screen = nullptr;
  if (Window.window != nullptr) Window.window->update();
}
