// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing.h"

#include <algorithm>
#include <cmath>

Rgba Hex(uint32_t rgb, double a) {
  return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, a};
}

void SetColour(cairo_t* cr, Rgba c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double y0, double y1, Rgba top, Rgba bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, top.a);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, bottom.a);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

void DrawBody(cairo_t* cr, Body b, bool active, const BodyPaint& paint) {
  // Painted with SOURCE, so a shadow under the body does not darken the rim.
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  RoundedRect(cr, b.x, b.y, b.w, b.h, b.radius);
  if (active) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, b.y, 0, b.y + b.h);
    const double stops[] = {0, 0.45, 1};
    for (int i = 0; i < 3; i++) {
      const Rgba& c = paint.rimActive[i];
      cairo_pattern_add_color_stop_rgba(p, stops[i], c.r, c.g, c.b, c.a);
    }
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
  } else {
    SetColour(cr, paint.rimInactive);
    cairo_fill(cr);
  }
  RoundedRect(cr, b.x + b.rim, b.y + b.rim, b.w - 2 * b.rim, b.h - 2 * b.rim, b.radius - b.rim);
  FillVertical(cr, b.y, b.y + b.h, Hex(paint.slabTop), Hex(paint.slabBottom));
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_new_path(cr);
  double centre = b.x + b.w / 2;
  cairo_pattern_t* sheen =
      cairo_pattern_create_radial(centre, b.y - 120, 40, centre, b.y - 120, 330);
  cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, paint.sheen);
  cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0);
  RoundedRect(cr, b.x + b.rim, b.y + b.rim, b.w - 2 * b.rim, b.h - 2 * b.rim, b.radius - b.rim);
  cairo_set_source(cr, sheen);
  cairo_fill(cr);
  cairo_pattern_destroy(sheen);
  RoundedRect(cr, b.x + b.rim + 0.5, b.y + b.rim + 0.5, b.w - 2 * b.rim - 1, b.h - 2 * b.rim - 1,
              b.radius - b.rim - 0.5);
  cairo_pattern_t* edge = cairo_pattern_create_linear(0, b.y, 0, b.y + b.h);
  const Rgba edges[] = {paint.edgeTop, paint.edgeMiddle, paint.edgeBottom};
  const double edgeStops[] = {0, 0.3, 1};
  for (int i = 0; i < 3; i++)
    cairo_pattern_add_color_stop_rgba(edge, edgeStops[i], edges[i].r, edges[i].g, edges[i].b,
                                      edges[i].a);
  cairo_set_source(cr, edge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_pattern_destroy(edge);
}

void DrawLogo(cairo_t* cr, double x, double y, bool active, Rgba ring) {
  double cx = x + 9, cy = y + 9;
  cairo_set_line_width(cr, 3);
  SetColour(cr, ring);
  cairo_arc(cr, cx, cy, 7, 0, 2 * M_PI);
  cairo_stroke(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(cx - 7, cy - 7, cx + 7, cy + 7);
  Rgba a = active ? Hex(0x6FA8FF) : Hex(0x8C94A3), b = active ? Hex(0x9A7CFF) : Hex(0x6B7280);
  cairo_pattern_add_color_stop_rgba(p, 0, a.r, a.g, a.b, 1);
  cairo_pattern_add_color_stop_rgba(p, 1, b.r, b.g, b.b, 1);
  cairo_set_source(cr, p);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_arc(cr, cx, cy, 7, -M_PI * 0.95, -M_PI * 0.05);
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy, 2.2, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void DrawRaisedKey(cairo_t* cr, double x, double y, double w, double h, double radius,
                   KeyPaint paint, bool pressed) {
  if (!pressed) {
    RoundedRect(cr, x, y + 1.5, w, h, radius);
    SetColour(cr, Hex(0, 0.38));
    cairo_fill(cr);
  }
  RoundedRect(cr, x, y, w, h, radius);
  FillVertical(cr, y, y + h, Hex(paint.top), Hex(paint.bottom));
  cairo_new_path(cr);
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius - 0.5);
  cairo_pattern_t* edge = cairo_pattern_create_linear(0, y, 0, y + h);
  if (pressed) {
    cairo_pattern_add_color_stop_rgba(edge, 0, 0, 0, 0, 0.35);
    cairo_pattern_add_color_stop_rgba(edge, 0.5, 0, 0, 0, 0.05);
    cairo_pattern_add_color_stop_rgba(edge, 1, 1, 1, 1, paint.highlight);
  } else {
    cairo_pattern_add_color_stop_rgba(edge, 0, 1, 1, 1, paint.highlight);
    cairo_pattern_add_color_stop_rgba(edge, 0.5, 1, 1, 1, paint.highlight * 0.25);
    cairo_pattern_add_color_stop_rgba(edge, 1, 0, 0, 0, 0.20);
  }
  cairo_set_source(cr, edge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_pattern_destroy(edge);
}

std::vector<uint32_t> StraightPixels(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const auto* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  int width = cairo_image_surface_get_width(surface),
      height = cairo_image_surface_get_height(surface);
  std::vector<uint32_t> out;
  out.reserve(size_t(width) * height);
  for (int y = 0; y < height; y++) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < width; x++) {
      uint32_t p = row[x], a = p >> 24;
      if (a == 0) {
        out.push_back(0);
        continue;
      }
      auto channel = [&](int shift) {
        return std::min(255u, (((p >> shift) & 255) * 255 + a / 2) / a);
      };
      out.push_back((a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0));
    }
  }
  return out;
}
