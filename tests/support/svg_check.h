// A checker of the charts in a page (pages/chart.h): every <svg> element must parse as XML, and
// every text in it must be as long as the chart's own measure makes it (its textLength is the
// width of its characters in DejaVu Sans at its class's size) and lie inside the segment or box
// it labels (the ring sector of a fan, the rectangle of a descendant's box), by the ascent and
// descent of the face.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "pages/chart_text.h"

namespace stirpex::testing {

struct ChartCheck {
  std::size_t charts = 0;
  std::size_t texts = 0;
  std::size_t fitted = 0;  // texts checked against their shape
  std::vector<std::string> problems;
  std::string shown_text;  // every text and title of the charts, for leak checks
};

namespace svg_detail {

struct Font {
  double size = 0;
  FontWeight weight = FontWeight::kRegular;
};

inline std::string Attr(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (!value) return {};
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

inline std::string Content(xmlNode* node) {
  xmlChar* value = xmlNodeGetContent(node);
  std::string text = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

inline bool Is(xmlNode* node, const char* name) {
  return node && node->type == XML_ELEMENT_NODE &&
         std::string_view(reinterpret_cast<const char*>(node->name)) == name;
}

inline std::vector<double> Numbers(const std::string& text) {
  std::vector<double> numbers;
  const char* p = text.c_str();
  while (*p) {
    if ((*p >= '0' && *p <= '9') || *p == '-' || *p == '.') {
      char* end = nullptr;
      numbers.push_back(std::strtod(p, &end));
      p = end;
    } else {
      ++p;
    }
  }
  return numbers;
}

struct Shape {
  bool sector = false;
  double x = 0, y = 0, w = 0, h = 0;        // rectangle
  double r0 = 0, r1 = 0, a0 = 0, span = 0;  // sector, degrees
};

inline bool ShapeOf(xmlNode* node, Shape& shape) {
  if (Is(node, "rect")) {
    shape.x = std::atof(Attr(node, "x").c_str());
    shape.y = std::atof(Attr(node, "y").c_str());
    shape.w = std::atof(Attr(node, "width").c_str());
    shape.h = std::atof(Attr(node, "height").c_str());
    return true;
  }
  if (!Is(node, "path")) return false;
  // "M outer-start A r1,r1 0 0 1 outer-end L inner-end [A r0,r0 0 0 0 inner-start] Z"
  const std::vector<double> n = Numbers(Attr(node, "d"));
  if (n.size() != 11 && n.size() != 18) return false;
  shape.sector = true;
  shape.r1 = n[2];
  shape.r0 = n.size() == 18 ? n[11] : 0;
  constexpr double kDegrees = 180 / 3.14159265358979323846;
  shape.a0 = std::atan2(n[1], n[0]) * kDegrees;
  shape.span = std::remainder(std::atan2(n[8], n[7]) * kDegrees - shape.a0, 360.0);
  if (shape.span <= 0) shape.span += 360;
  return true;
}

class Checker {
 public:
  explicit Checker(ChartCheck& out) : out_(out) {}

  void Chart(xmlNode* svg) {
    for (xmlNode* child = svg->children; child; child = child->next) {
      if (!Is(child, "style")) continue;
      const std::string css = Content(child);
      middle_ = css.find("text{text-anchor:middle") != std::string::npos;
      static const std::regex rule(R"(\.([\w-]+)\{font-size:([\d.]+)px(;font-weight:bold)?)");
      for (std::sregex_iterator it(css.begin(), css.end(), rule), end; it != end; ++it) {
        fonts_[(*it)[1]] = {std::atof((*it)[2].str().c_str()),
                            (*it)[3].matched ? FontWeight::kBold : FontWeight::kRegular};
      }
    }
    Walk(svg, nullptr, 0);
  }

 private:
  void Walk(xmlNode* node, const Shape* shape, double rotation) {
    Shape own;
    const Shape* in = shape;
    if (Is(node, "a") || Is(node, "g")) {
      for (xmlNode* child = node->children; child; child = child->next) {
        if (ShapeOf(child, own)) in = &own;
      }
      const std::vector<double> turn = Numbers(Attr(node, "transform"));
      if (Attr(node, "transform").rfind("rotate(", 0) == 0 && turn.size() == 1) rotation = turn[0];
    }
    if (Is(node, "title")) out_.shown_text += Content(node) + "\n";
    if (Is(node, "text")) Text(node, in, rotation);
    for (xmlNode* child = node->children; child; child = child->next) Walk(child, in, rotation);
  }

  void Problem(const std::string& text, const std::string& what) {
    out_.problems.push_back("\"" + text + "\": " + what);
  }

  void Text(xmlNode* node, const Shape* shape, double rotation) {
    ++out_.texts;
    const std::string text = Content(node);
    out_.shown_text += text + "\n";
    const auto font = fonts_.find(Attr(node, "class"));
    if (font == fonts_.end()) return Problem(text, "no size for class " + Attr(node, "class"));
    const double width = TextWidth(std::string_view(text), font->second.size, font->second.weight);
    const double length = std::atof(Attr(node, "textLength").c_str());
    if (std::abs(length - width) > 0.11) {
      return Problem(
          text, "textLength " + std::to_string(length) + ", measured " + std::to_string(width));
    }
    if (!shape) return;
    ++out_.fitted;
    std::string anchor = Attr(node, "text-anchor");
    if (anchor.empty()) anchor = middle_ ? "middle" : "start";
    const double x = std::atof(Attr(node, "x").c_str());
    const double y = std::atof(Attr(node, "y").c_str());
    const double left = anchor == "middle" ? x - width / 2 : anchor == "end" ? x - width : x;
    const double top = y - FontAscent(font->second.size, font->second.weight);
    const double bottom = y + FontDescent(font->second.size, font->second.weight);
    constexpr double kTolerance = 0.3;
    const double turn = rotation * 3.14159265358979323846 / 180;
    auto global = [&](double lx, double ly, double& gx, double& gy) {
      gx = lx * std::cos(turn) - ly * std::sin(turn);
      gy = lx * std::sin(turn) + ly * std::cos(turn);
    };
    for (double cx : {left, left + width}) {
      for (double cy : {top, bottom}) {
        double gx, gy;
        global(cx, cy, gx, gy);
        if (!shape->sector) {
          if (gx < shape->x - kTolerance || gx > shape->x + shape->w + kTolerance ||
              gy < shape->y - kTolerance || gy > shape->y + shape->h + kTolerance) {
            return Problem(text, "leaves its box");
          }
          continue;
        }
        const double r = std::hypot(gx, gy);
        double a =
            std::remainder(std::atan2(gy, gx) * 180 / 3.14159265358979323846 - shape->a0, 360.0);
        if (a < -0.5) a += 360;
        if (r > shape->r1 + kTolerance || a > shape->span + 0.2 || a < -0.2) {
          return Problem(text, "leaves its segment");
        }
      }
    }
    if (shape->sector) {
      // The point of the text's box nearest to the centre (the frame turns about it).
      const double nx = std::clamp(0.0, left, left + width);
      const double ny = std::clamp(0.0, top, bottom);
      if (std::hypot(nx, ny) < shape->r0 - kTolerance)
        Problem(text, "reaches into the ring inside");
    }
  }

  ChartCheck& out_;
  std::map<std::string, Font> fonts_;
  bool middle_ = false;
};

}  // namespace svg_detail

// Checks every chart of the page, adding to check.
inline void CheckCharts(std::string_view page, ChartCheck& check) {
  for (std::size_t start = page.find("<svg"); start != std::string_view::npos;
       start = page.find("<svg", start + 4)) {
    const std::size_t end = page.find("</svg>", start);
    if (end == std::string_view::npos) {
      check.problems.push_back("an <svg> without its end");
      return;
    }
    ++check.charts;
    const std::string_view chart = page.substr(start, end + 6 - start);
    xmlDoc* doc = xmlReadMemory(chart.data(), static_cast<int>(chart.size()), "chart.svg", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) {
      check.problems.push_back("not XML: " + std::string(chart.substr(0, 80)));
      continue;
    }
    svg_detail::Checker(check).Chart(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
  }
}

}  // namespace stirpex::testing
