#pragma once
// The file formats the skin writes: pictures as PNG (one frame) or GIF (a
// frame per image, one global palette), or as a pps picture where the
// toolkit needs the record's slice values; sounds as 8-bit mono PCM WAV.
//
// Rules:
//  - The bytes depend only on the input: compression levels are fixed, no
//    time or path is written.
//  - A GIF takes at most 256 distinct colours over all its frames; more is
//    refused, never quantised.
//  - A pixel of the colour key kClear is transparent: a GIF writes it as its
//    transparent index, and each frame is cleared before the next, so a
//    frame never shows through another. A PNG has no transparency, so a
//    picture with a transparent pixel is a GIF even of one frame.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace regional_skin {

// The engine's colour key (0x00BBGGRR): a transparent pixel.
inline constexpr uint32_t kClear = 0xff00ff;

// One frame of a picture: width * height colours (0x00BBGGRR), top row first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// An RGB PNG of one image.
std::vector<uint8_t> PngFile(const Image& image);
// A GIF whose frames are the images (all of the first one's size); false
// with a reason when they cannot be written.
bool GifFile(std::span<const Image> frames, std::vector<uint8_t>& out, std::string& error);
// The file of a picture: PNG for one frame without transparent pixels, else
// GIF.
bool PictureFile(std::span<const Image> frames, std::vector<uint8_t>& out, std::string& error);
// Whether a picture file is a GIF (else a PNG or a pps picture).
bool IsGifFile(std::span<const uint8_t> file);
// A 32-bit pps picture of the frames (all of the first one's size) that
// carries the slice values the toolkit's sliced draws read (ImageRecord.h);
// false with a reason when it cannot be written.
bool SlicedPictureFile(std::span<const Image> frames, int sliceX, int sliceY,
                       std::vector<uint8_t>& out, std::string& error);

// A WAV file of 8-bit mono samples at the given rate.
std::vector<uint8_t> WavFile(std::span<const uint8_t> samples, uint32_t rate);

// The flat skin's sound: samples that spell "PVBNSND:" and the file name, then
// silence, so a test tells from a stream's bytes which sound was played.
std::vector<uint8_t> SoundBytes(std::string_view fileName);
// The name such a sound carries (empty when the bytes carry none).
std::string SoundNameOf(std::span<const uint8_t> bytes);
// The drawn skin's sound: a short tone whose pitch and length follow from
// its title (spoken tiles by value, a longer phrase for chat lines).
std::vector<uint8_t> ToneBytes(std::string_view title);

}  // namespace regional_skin
