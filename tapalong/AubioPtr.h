#pragma once

#include <aubio/aubio.h>

#include <memory>

// aubio's objects held by unique_ptr, each freed by aubio's own delete function.
template <auto Delete>
struct AubioDelete {
  template <typename T>
  void operator()(T* object) const {
    Delete(object);
  }
};

using AubioOnsetPtr = std::unique_ptr<aubio_onset_t, AubioDelete<del_aubio_onset>>;
using AubioFftPtr = std::unique_ptr<aubio_fft_t, AubioDelete<del_aubio_fft>>;
using FvecPtr = std::unique_ptr<fvec_t, AubioDelete<del_fvec>>;
using CvecPtr = std::unique_ptr<cvec_t, AubioDelete<del_cvec>>;
