#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/rgba_image.h"

namespace tavrel {

// Encodes an image as an 8-bit RGB PNG (our images are opaque, so the alpha channel is
// dropped). Throws tavrel::Error naming `fileName` when the image is empty or libpng fails.
std::vector<std::uint8_t> EncodePng(const TRgbaImage& image, const std::string& fileName);

// The same picture as EncodePng, made for speed (the browser preview draws a page when it is
// first asked for): an indexed-colour PNG when it has at most 256 colours (a page has the
// eight teletext colours), a third of the pixel data, compressed with libpng's fast setting.
// A page comes out about as large as EncodePng makes it, in a fifth of the time. Pictures with
// more colours are encoded as EncodePng does.
std::vector<std::uint8_t> EncodeIndexedPng(const TRgbaImage& image, const std::string& fileName);

// Writes an image as a PNG file (ReplaceFileAtomically): an existing file is either replaced
// whole or left as it was, a symbolic link is followed and its target replaced, and an entry
// that is not a regular file (a FIFO, a device) is refused, never replaced. Throws
// tavrel::Error naming the file and the reason on any failure.
void WritePngFile(const TRgbaImage& image, const std::string& fileName);

}  // namespace tavrel
