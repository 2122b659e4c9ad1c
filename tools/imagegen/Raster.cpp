#include "tools/imagegen/Raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kSamples = 8;

double Clamp01(double t) {
  return std::clamp(t, 0.0, 1.0);
}

// sqrt rather than hypot: sqrt is correctly rounded everywhere, so the output is too.
double Length(double dx, double dy) {
  return std::sqrt(dx * dx + dy * dy);
}

double SegmentDistance(Point a, Point b, double x, double y) {
  const double ex = b.x - a.x;
  const double ey = b.y - a.y;
  const double t = Clamp01(((x - a.x) * ex + (y - a.y) * ey) / (ex * ex + ey * ey));
  return Length(x - a.x - t * ex, y - a.y - t * ey);
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  t = Clamp01(t);
  const auto channel = [t](std::uint8_t from, std::uint8_t to) {
    return static_cast<std::uint8_t>(std::lround(from + (to - from) * t));
  };
  return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

Shape Polygon(std::vector<Point> vertices) {
  // Make the winding clockwise on screen (y down) so "inside" is on the same side of each edge.
  double area = 0.0;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const Point& p = vertices[i];
    const Point& q = vertices[(i + 1) % vertices.size()];
    area += p.x * q.y - q.x * p.y;
  }
  if (area < 0.0) std::reverse(vertices.begin(), vertices.end());
  // Exact distance, outside too, so a grown polygon gets round corners.
  return [vertices = std::move(vertices)](double x, double y) {
    double nearest = 1e9;
    bool inside = true;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      const Point& p = vertices[i];
      const Point& q = vertices[(i + 1) % vertices.size()];
      const double ex = q.x - p.x;
      const double ey = q.y - p.y;
      if (ex * (y - p.y) - ey * (x - p.x) < 0.0) inside = false;
      nearest = std::min(nearest, SegmentDistance(p, q, x, y));
    }
    return inside ? -nearest : nearest;
  };
}

Shape RoundedRect(double left, double top, double right, double bottom, double radius) {
  const double cx = (left + right) / 2;
  const double cy = (top + bottom) / 2;
  const double hx = (right - left) / 2 - radius;
  const double hy = (bottom - top) / 2 - radius;
  return [=](double x, double y) {
    const double dx = std::abs(x - cx) - hx;
    const double dy = std::abs(y - cy) - hy;
    const double outside = Length(std::max(dx, 0.0), std::max(dy, 0.0));
    return outside + std::min(std::max(dx, dy), 0.0) - radius;
  };
}

Shape Capsule(Point a, Point b, double radius) {
  return [=](double x, double y) { return SegmentDistance(a, b, x, y) - radius; };
}

Shape Grow(Shape shape, double by) {
  return [shape = std::move(shape), by](double x, double y) { return shape(x, y) - by; };
}

Shape Moved(Shape shape, double dx, double dy) {
  return [shape = std::move(shape), dx, dy](double x, double y) { return shape(x - dx, y - dy); };
}

Shape Intersection(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) {
    return std::max(a(x, y), b(x, y));
  };
}

Rgb Paint::At(double y) const {
  if (top == bottom || y1 <= y0) return top;
  return Mix(top, bottom, (y - y0) / (y1 - y0));
}

double Coverage(const Shape& shape, int x, int y) {
  int inside = 0;
  for (int j = 0; j < kSamples; ++j) {
    for (int i = 0; i < kSamples; ++i) {
      const double sx = x + (i + 0.5) / kSamples;
      const double sy = y + (j + 0.5) / kSamples;
      if (shape(sx, sy) < 0.0) ++inside;
    }
  }
  return static_cast<double>(inside) / (kSamples * kSamples);
}

Canvas::Canvas(int width, int height, Rgb background)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width * height), background) {}

void Canvas::Fill(const Shape& shape, const Paint& paint, Edges edges) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      double coverage = Coverage(shape, x, y);
      if (edges == Edges::kHard) coverage = coverage >= 0.5 ? 1.0 : 0.0;
      if (coverage > 0.0) Set(x, y, Mix(Get(x, y), paint.At(y + 0.5), coverage));
    }
  }
}
