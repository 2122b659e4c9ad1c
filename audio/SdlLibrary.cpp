#include "audio/SdlLibrary.h"

#include <dlfcn.h>

#include <optional>

namespace {

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

std::optional<SdlLibrary> Load() {
  void* const library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return std::nullopt;
  SdlLibrary sdl{};
  if (Resolve(library, "SDL_SetHint", sdl.SetHint) &&
      Resolve(library, "SDL_GetError", sdl.GetError) &&
      Resolve(library, "SDL_InitSubSystem", sdl.InitSubSystem) &&
      Resolve(library, "SDL_QuitSubSystem", sdl.QuitSubSystem) &&
      Resolve(library, "SDL_OpenAudioDevice", sdl.OpenAudioDevice) &&
      Resolve(library, "SDL_CloseAudioDevice", sdl.CloseAudioDevice) &&
      Resolve(library, "SDL_PauseAudioDevice", sdl.PauseAudioDevice) &&
      Resolve(library, "SDL_GetAudioDeviceStatus", sdl.GetAudioDeviceStatus) &&
      Resolve(library, "SDL_LockAudioDevice", sdl.LockAudioDevice) &&
      Resolve(library, "SDL_UnlockAudioDevice", sdl.UnlockAudioDevice)) {
    return sdl;
  }
  dlclose(library);
  return std::nullopt;
}

}  // namespace

const SdlLibrary* SdlLibrary::Get() {
  static const std::optional<SdlLibrary> sdl = Load();
  return sdl ? &*sdl : nullptr;
}
