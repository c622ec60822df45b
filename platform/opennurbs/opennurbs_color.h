// Colours with the openNURBS names and meanings: red, green, blue and alpha packed
// into 32 bits, red in the lowest byte, alpha in the highest. Alpha is openNURBS's
// transparency byte: 0 is opaque, so a colour made from three channels has alpha 0.
#pragma once

class ON_Color {
 public:
  ON_Color() = default;
  // The packed value as it stands.
  ON_Color(unsigned int colorref) : m_color(colorref) {}  // NOLINT: implicit, as in openNURBS
  // Channels outside 0..255 are clamped, as SetRGBA does.
  ON_Color(int red, int green, int blue);
  ON_Color(int red, int green, int blue, int alpha);

  int Red() const { return static_cast<int>(m_color & 0xFFu); }
  int Green() const { return static_cast<int>((m_color >> 8) & 0xFFu); }
  int Blue() const { return static_cast<int>((m_color >> 16) & 0xFFu); }
  int Alpha() const { return static_cast<int>((m_color >> 24) & 0xFFu); }

  // Each channel clamped to 0..255; SetRGB sets alpha to 0.
  void SetRGB(int red, int green, int blue);
  void SetRGBA(int red, int green, int blue, int alpha);

  operator unsigned int() const { return m_color; }  // NOLINT: as in openNURBS

 private:
  unsigned int m_color = 0;
};
