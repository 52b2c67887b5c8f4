// The draw queue and its two threads. Draws are queued in call order and carried out when
// the back buffer is next needed. A large batch is split by rows: the screen is cut into
// stripes, this thread draws every queued draw into the even stripes and a worker thread
// into the odd ones, each in call order. Every pixel is thus written by one thread, in the
// order a single thread would write it, so the picture is the same as drawing one by one.
#include "platform/quads.h"
#include "platform/raster_simd.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int StripeRows = 64;           // rows per stripe; stripes alternate between threads
constexpr int64_t ParallelArea = 60'000; // queued pixels worth waking the worker for
constexpr size_t QueueReserve = 16'384;  // draws queued before the queue ever grows

struct DrawQueueState {
  std::vector<DrawRecord> records; // in call order
  int64_t area;                    // about how many pixels the queued draws cover
  bool single;                     // one thread only
  bool immediate;                  // no queue: every draw is made at once
  // The worker: started by the first batch large enough, stopped with the sprite system.
  std::thread worker;
  std::mutex lock;
  std::condition_variable wake; // a batch is ready, or the worker must stop
  std::condition_variable done; // the worker has drawn its stripes
  uint64_t batches;             // batches handed to the worker
  uint64_t finished;            // batches it has finished
  bool stop;
};
DrawQueueState Queue{};

// The rows a draw can touch, within the screen: [top, bottom).
void DrawRows(const DrawRecord& r, int height, int& top, int& bottom) {
  double low = 0;
  double high = 0;
  if (r.kind == DrawKindSprite) {
    low = r.y;
    high = static_cast<double>(r.y) + r.source->height;
  } else {
    low = high = r.corners[1];
    for (int i = 1; i < 4; ++i) {
      low = std::min<double>(low, r.corners[2 * i + 1]);
      high = std::max<double>(high, r.corners[2 * i + 1]);
    }
    low = std::floor(low) - 1;
    high = std::ceil(high) + 1;
  }
  if (!(low < height && high > 0)) { // also a draw with corners that are not numbers
    top = bottom = 0;
    return;
  }
  top = static_cast<int>(std::max(low, 0.0));
  bottom = static_cast<int>(std::min<double>(high, height));
}

void DrawRecordRows(const DrawRecord& r, int top, int bottom) {
  if (r.kind == DrawKindSprite)
    CopySpriteToScreen(*r.source, r.x, r.y, top, bottom);
  else
    DrawQuadRecord(r, top, bottom);
}

// Every queued draw, clipped to the stripes of one parity (0 or 1).
void DrawStripes(int parity) {
  const int height = ScreenHeight();
  for (const DrawRecord& r : Queue.records) {
    int top = 0;
    int bottom = 0;
    DrawRows(r, height, top, bottom);
    for (int stripe = top / StripeRows; stripe * StripeRows < bottom; ++stripe)
      if (stripe % 2 == parity)
        DrawRecordRows(r, stripe * StripeRows, std::min(stripe * StripeRows + StripeRows, height));
  }
}

void WorkerLoop() {
  std::unique_lock<std::mutex> guard(Queue.lock);
  for (;;) {
    Queue.wake.wait(guard, [] { return Queue.stop || Queue.batches != Queue.finished; });
    if (Queue.stop) return;
    guard.unlock();
    DrawStripes(1);
    guard.lock();
    Queue.finished = Queue.batches;
    Queue.done.notify_one();
  }
}

void StartWorker() {
  if (Queue.worker.joinable()) return;
  SpanKernelTarget(); // the kernels' instruction set is chosen here, before two threads draw
  Queue.stop = false;
  Queue.worker = std::thread(WorkerLoop);
}

} // namespace

// A full queue is drawn before it would grow, so a caller that draws for ever without
// looking at the buffer neither allocates nor runs out of memory.
void QueueDraw(const DrawRecord& r) {
  if (Queue.immediate) {
    DrawRecordRows(r, 0, INT_MAX);
    return;
  }
  if (Queue.records.capacity() == 0) Queue.records.reserve(QueueReserve);
  if (Queue.records.size() >= QueueReserve) FinishDraws();
  Queue.records.push_back(r);
  // Only decides whether the worker helps: a copied pixel costs a fraction of a blended one,
  // and the demo's quads are 64 x 64.
  if (r.kind == DrawKindSprite)
    Queue.area += int64_t{r.source->width} * r.source->height / 8;
  else
    Queue.area += 64 * 64;
}

void FinishDraws() {
  if (Queue.records.empty()) return;
  const int height = ScreenHeight();
  if (Queue.single || Queue.area < ParallelArea || height < 2 * StripeRows) {
    for (const DrawRecord& r : Queue.records)
      DrawRecordRows(r, 0, INT_MAX);
  } else {
    StartWorker();
    {
      const std::lock_guard<std::mutex> guard(Queue.lock);
      ++Queue.batches;
    }
    Queue.wake.notify_one();
    DrawStripes(0);
    std::unique_lock<std::mutex> guard(Queue.lock);
    Queue.done.wait(guard, [] { return Queue.finished == Queue.batches; });
  }
  Queue.records.clear();
  Queue.area = 0;
}

void DropQueuedDraws() {
  Queue.records.clear();
  Queue.area = 0;
}

void StopDrawThreads() {
  if (!Queue.worker.joinable()) return;
  {
    const std::lock_guard<std::mutex> guard(Queue.lock);
    Queue.stop = true;
  }
  Queue.wake.notify_one();
  Queue.worker.join();
}

namespace {
// A program that ends without stopping the sprite system still ends: the worker is stopped
// before the queue's own state is torn down.
struct WorkerStopAtExit {
  WorkerStopAtExit() = default;
  WorkerStopAtExit(const WorkerStopAtExit&) = delete;
  WorkerStopAtExit& operator=(const WorkerStopAtExit&) = delete;
  ~WorkerStopAtExit() { StopDrawThreads(); }
};
const WorkerStopAtExit StopAtExit;
} // namespace

int QueuedDrawCount() {
  return static_cast<int>(Queue.records.size());
}

void UseOneDrawThread(bool on) {
  FinishDraws();
  Queue.single = on;
}

void DrawEachAtOnce(bool on) {
  FinishDraws();
  Queue.immediate = on;
}
