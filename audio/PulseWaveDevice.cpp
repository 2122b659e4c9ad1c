#include "audio/PulseWaveDevice.h"

#include <cstdio>
#include <span>

namespace {

// The server keeps about this much sound ahead of the speaker; what is already in the
// sink (about a quarter of it) is all that still plays after a start or a stop.
constexpr pa_usec_t kBufferUsec = 40'000;
constexpr pa_usec_t kRequestUsec = 5'000;

void OnContextState(pa_context*, void* self) {
  pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(self), 0);
}

void OnStreamState(pa_stream*, void* self) {
  pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(self), 0);
}

// The server carries out a stream's requests in order, so none needs waiting for.
void Forget(pa_operation* operation) {
  if (operation != nullptr) pa_operation_unref(operation);
}

}  // namespace

PulseWaveDevice::PulseWaveDevice(const WaveFormat& format) : format_(format) {}

std::unique_ptr<PulseWaveDevice> PulseWaveDevice::Connect(const WaveFormat& format) {
  if (format.formatTag != kWaveFormatPcm || format.bitsPerSample != 16 || format.channels != 1) {
    return nullptr;
  }
  std::unique_ptr<PulseWaveDevice> device(new PulseWaveDevice(format));
  if (!device->Open()) return nullptr;
  return device;
}

PulseWaveDevice::~PulseWaveDevice() {
  Close();
}

bool PulseWaveDevice::Open() {
  loop_ = pa_threaded_mainloop_new();
  if (loop_ == nullptr) return false;
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Tocolo");
  if (context_ == nullptr) return false;
  pa_context_set_state_callback(context_, &OnContextState, loop_);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
  if (pa_threaded_mainloop_start(loop_) < 0) return false;

  pa_threaded_mainloop_lock(loop_);
  const bool ready = WaitUntilReady();
  pa_threaded_mainloop_unlock(loop_);
  return ready;
}

bool PulseWaveDevice::WaitUntilReady() {
  for (;;) {
    const pa_context_state_t state = pa_context_get_state(context_);
    if (state == PA_CONTEXT_READY) break;
    if (!PA_CONTEXT_IS_GOOD(state)) return false;
    pa_threaded_mainloop_wait(loop_);
  }
  const pa_sample_spec spec{PA_SAMPLE_S16LE, format_.samplesPerSec, 1};
  stream_ = pa_stream_new(context_, "Clave loop", &spec, nullptr);
  if (stream_ == nullptr) return false;
  pa_stream_set_state_callback(stream_, &OnStreamState, loop_);
  pa_stream_set_write_callback(stream_, &OnWritable, this);
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<std::uint32_t>(-1);
  attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kBufferUsec, &spec));
  attributes.prebuf = 0;  // never wait for a full buffer, never stop on a short one
  attributes.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kRequestUsec, &spec));
  attributes.fragsize = static_cast<std::uint32_t>(-1);
  const auto flags = static_cast<pa_stream_flags_t>(
      PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED | PA_STREAM_AUTO_TIMING_UPDATE);
  if (pa_stream_connect_playback(stream_, nullptr, &attributes, flags, nullptr, nullptr) < 0) {
    return false;
  }
  for (;;) {
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    if (state == PA_STREAM_READY) return true;
    if (!PA_STREAM_IS_GOOD(state)) return false;
    pa_threaded_mainloop_wait(loop_);
  }
}

void PulseWaveDevice::Close() {
  if (loop_ != nullptr) pa_threaded_mainloop_stop(loop_);
  if (stream_ != nullptr) {
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  if (context_ != nullptr) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  if (loop_ != nullptr) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
  }
}

bool PulseWaveDevice::Lost() const {
  if (loop_ == nullptr) return true;
  pa_threaded_mainloop_lock(loop_);
  const bool lost = stream_ == nullptr || pa_context_get_state(context_) != PA_CONTEXT_READY ||
                    pa_stream_get_state(stream_) != PA_STREAM_READY;
  pa_threaded_mainloop_unlock(loop_);
  return lost;
}

bool PulseWaveDevice::Write(const WaveHeader& header) {
  if (header.data == nullptr) return false;
  if (Lost()) {
    Close();
    if (!Open()) {
      Close();
      return false;
    }
  }
  pa_threaded_mainloop_lock(loop_);
  cursor_.Start(header.data, FramesOf(header, format_), LoopsOf(header));
  // Whatever the server holds of the sound before goes, and the new one follows at once.
  Forget(pa_stream_cork(stream_, 0, nullptr, nullptr));
  Forget(pa_stream_flush(stream_, nullptr, nullptr));
  Fill(pa_stream_writable_size(stream_), PA_SEEK_RELATIVE_ON_READ);
  pa_threaded_mainloop_unlock(loop_);
  return true;
}

bool PulseWaveDevice::Reset() {
  if (loop_ == nullptr || stream_ == nullptr) return true;
  pa_threaded_mainloop_lock(loop_);
  cursor_.Stop();
  if (pa_stream_get_state(stream_) == PA_STREAM_READY) {
    Forget(pa_stream_flush(stream_, nullptr, nullptr));
    Forget(pa_stream_cork(stream_, 1, nullptr, nullptr));
  }
  pa_threaded_mainloop_unlock(loop_);
  return true;
}

void PulseWaveDevice::Fill(std::size_t bytes, pa_seek_mode_t seek) {
  while (bytes >= sizeof(std::int16_t)) {
    void* data = nullptr;
    std::size_t size = bytes;
    if (pa_stream_begin_write(stream_, &data, &size) < 0 || data == nullptr) return;
    size -= size % sizeof(std::int16_t);
    cursor_.Render(std::span(static_cast<std::int16_t*>(data), size / sizeof(std::int16_t)));
    if (pa_stream_write(stream_, data, size, nullptr, 0, seek) < 0) return;
    bytes -= size;
    seek = PA_SEEK_RELATIVE;
  }
}

void PulseWaveDevice::OnWritable(pa_stream*, std::size_t bytes, void* self) {
  static_cast<PulseWaveDevice*>(self)->Fill(bytes, PA_SEEK_RELATIVE);
}
