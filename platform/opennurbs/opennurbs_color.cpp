#include "opennurbs_color.h"

namespace {
unsigned int Channel(int value) { return static_cast<unsigned int>(value < 0 ? 0 : value > 255 ? 255 : value); }
}  // namespace

ON_Color::ON_Color(int red, int green, int blue) { SetRGB(red, green, blue); }

ON_Color::ON_Color(int red, int green, int blue, int alpha) { SetRGBA(red, green, blue, alpha); }

void ON_Color::SetRGB(int red, int green, int blue) { SetRGBA(red, green, blue, 0); }

void ON_Color::SetRGBA(int red, int green, int blue, int alpha) {
  m_color = Channel(red) | Channel(green) << 8 | Channel(blue) << 16 | Channel(alpha) << 24;
}
