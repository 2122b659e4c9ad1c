#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// A small software rasteriser: shapes are signed distance functions in pixel units, filled
// with 8 x 8 supersampling so edges come out anti-aliased even at icon sizes.

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb Hex(std::uint32_t rgb) {
  return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
          static_cast<std::uint8_t>(rgb)};
}

// t = 0 gives a, t = 1 gives b.
Rgb Mix(Rgb a, Rgb b, double t);

struct Point {
  double x = 0.0;
  double y = 0.0;
};

// Negative inside, positive outside; (x, y) in pixel units with (0, 0) at the top-left
// corner of the top-left pixel.
using Shape = std::function<double(double x, double y)>;

// Vertices in either winding order; must be convex.
Shape Polygon(std::vector<Point> vertices);
Shape RoundedRect(double left, double top, double right, double bottom, double radius);
// A segment swept by a disc: a stick with rounded ends.
Shape Capsule(Point a, Point b, double radius);
// Positive `by` grows the shape outwards, negative shrinks it.
Shape Grow(Shape shape, double by);
Shape Moved(Shape shape, double dx, double dy);
// Where both shapes are.
Shape Intersection(Shape a, Shape b);

// A vertical gradient from `top` at y0 to `bottom` at y1; one colour when they are equal.
struct Paint {
  Rgb top;
  Rgb bottom;
  double y0 = 0.0;
  double y1 = 1.0;
  // Implicit, so a plain colour can be passed wherever a paint is wanted.
  Paint(Rgb colour) : top(colour), bottom(colour) {}
  Paint(Rgb top, Rgb bottom, double y0, double y1) : top(top), bottom(bottom), y0(y0), y1(y1) {}
  Rgb At(double y) const;
};

// Fraction of pixel (x, y) that lies inside the shape, in steps of 1/64.
double Coverage(const Shape& shape, int x, int y);

class Canvas {
 public:
  Canvas(int width, int height, Rgb background);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb Get(int x, int y) const { return pixels_[Index(x, y)]; }
  void Set(int x, int y, Rgb colour) { pixels_[Index(x, y)] = colour; }
  // Blends the paint over the canvas by each pixel's coverage; with hard edges a pixel is
  // painted fully when the shape covers at least half of it, and left alone otherwise.
  enum class Edges { kSmooth, kHard };
  void Fill(const Shape& shape, const Paint& paint, Edges edges = Edges::kSmooth);

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }

  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};
