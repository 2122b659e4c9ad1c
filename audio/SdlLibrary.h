#pragma once

#include <SDL2/SDL.h>

// SDL2, loaded the first time an output needs it. It is only the fallback for desktops
// without a PulseAudio-protocol server, so a program that never needs it never maps it, nor
// the many libraries it pulls in.
struct SdlLibrary {
  decltype(&SDL_SetHint) SetHint;
  decltype(&SDL_GetError) GetError;
  decltype(&SDL_InitSubSystem) InitSubSystem;
  decltype(&SDL_QuitSubSystem) QuitSubSystem;
  decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
  decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
  decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
  decltype(&SDL_GetAudioDeviceStatus) GetAudioDeviceStatus;
  decltype(&SDL_LockAudioDevice) LockAudioDevice;
  decltype(&SDL_UnlockAudioDevice) UnlockAudioDevice;

  // The library, loaded once and kept for the life of the process; null if it is not
  // installed or lacks one of these functions.
  static const SdlLibrary* Get();
};
