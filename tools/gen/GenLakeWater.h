#pragma once
// The water-surface frames and the splash pictures of the fishing scene, in the "Data" folder.

#include <cstdint>
#include <string>
#include <vector>

namespace gen
{

constexpr int kWaterFrameCount = 8;
constexpr int kSplashPictureCount = 10;

// "testmap00.bmp" to "testmap07.bmp".
std::string WaterFrameName(int frame);
std::vector<uint8_t> WaterFrame(int frame);
// "splsh_01.tga" to "splsh_10.tga".
std::string SplashPictureName(int picture);
std::vector<uint8_t> SplashPicture(int picture);

} // namespace gen
