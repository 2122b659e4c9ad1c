#include "audio/WaveOut.h"

#include "audio/DefaultWaveDevice.h"

namespace {

// The process-wide device handle: every channel shares the one device.
WaveDevice* g_waveOut = nullptr;

}  // namespace

CWaveOut::CWaveOut() {
  Open();
  InitHeader();
}

bool CWaveOut::Open() {
  format.formatTag = kWaveFormatPcm;
  format.channels = kChannels;
  format.samplesPerSec = kSamplesPerSec;
  format.bitsPerSample = kBitsPerSample;
  RecomputeFormat();
  g_waveOut = OpenDefaultWaveDevice(format);
  return g_waveOut != nullptr;
}

bool CWaveOut::InitHeader() {
  header.data = nullptr;
  header.bufferLength = 0;
  header.flags = kWaveHeaderBeginLoop | kWaveHeaderEndLoop;
  header.loops = 1;
  return PrepareHeader();
}

bool CWaveOut::SetBuffer(const std::int16_t* data) {
  header.data = data;
  return PrepareHeader();
}

bool CWaveOut::SetLength(std::uint32_t bytes) {
  header.bufferLength = bytes;
  return PrepareHeader();
}

bool CWaveOut::SetSilentCycle(std::uint32_t cycle) {
  header.silentCycle = cycle;
  return PrepareHeader();
}

// The device reads the buffer in place, so preparing only checks that there is a device.
bool CWaveOut::PrepareHeader() const {
  return g_waveOut != nullptr;
}

void CWaveOut::SetSampleRate(std::uint32_t samplesPerSec) {
  format.samplesPerSec = samplesPerSec;
  RecomputeFormat();
}

void CWaveOut::SetBitsPerSample(std::uint16_t bitsPerSample) {
  format.bitsPerSample = bitsPerSample;
  RecomputeFormat();
}

void CWaveOut::SetChannels(std::uint16_t channels) {
  format.channels = channels;
  RecomputeFormat();
}

std::uint32_t CWaveOut::RecomputeFormat() {
  format.blockAlign = static_cast<std::uint16_t>(format.channels * format.bitsPerSample / 8);
  format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
  return format.avgBytesPerSec;
}

bool CWaveOut::Play(std::uint32_t loops) {
  header.loops = loops;
  if (g_waveOut == nullptr || !g_waveOut->Write(header)) return false;
  playing = true;
  return true;
}

bool CWaveOut::Stop() {
  if (g_waveOut == nullptr || !g_waveOut->Reset()) return false;
  playing = false;
  return true;
}

bool CWaveOut::IsPlaying() const {
  return playing && g_waveOut != nullptr && !g_waveOut->Lost() && !g_waveOut->PlayedOut();
}

void CWaveOut::SetStoppedListener(std::function<void()> listener) {
  if (g_waveOut != nullptr) g_waveOut->SetStoppedListener(std::move(listener));
}

std::optional<LoopClock> CWaveOut::HeardClock() const {
  if (g_waveOut == nullptr || !IsPlaying()) return std::nullopt;
  return g_waveOut->HeardClock();
}

void CWaveOut::SetClockWanted(bool wanted) {
  if (g_waveOut != nullptr) g_waveOut->SetClockWanted(wanted);
}

std::string CWaveOut::SinkName() const {
  return g_waveOut != nullptr ? g_waveOut->SinkName() : std::string();
}
