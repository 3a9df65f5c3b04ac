#pragma once
// How big a program file is, and how much of it is code rather than its icon.
#include <string>

struct ImageSizes {
    double file = 0;   // bytes of the whole file
    double icons = 0;  // bytes of its icon and icon group resources
    double text = 0;   // bytes of its .text section in the file
};

// False if the file cannot be read or is no 32-bit PE image.
bool MeasureImage(const std::string& path, ImageSizes& sizes);
