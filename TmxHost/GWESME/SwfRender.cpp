// Drawing a stage with cairo: the background, then each shape on the display list by depth under
// its matrix and colour transform. A fill is drawn from the edges that carry it on either side,
// joined into closed contours and filled even-odd; lines are stroked after the fills of their
// style group.
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "Swf.h"

namespace tmxhost::swf {
namespace {

struct Segment {
    double x0, y0, cx, cy, x1, y1;
    bool curved;
};

void AddSegment(cairo_t* cr, const Segment& s) {
    if (!s.curved) {
        cairo_line_to(cr, s.x1, s.y1);
        return;
    }
    // The quadratic curve as a cubic with the same shape.
    cairo_curve_to(cr, s.x0 + 2.0 / 3 * (s.cx - s.x0), s.y0 + 2.0 / 3 * (s.cy - s.y0),
                   s.x1 + 2.0 / 3 * (s.cx - s.x1), s.y1 + 2.0 / 3 * (s.cy - s.y1), s.x1, s.y1);
}

Segment Forward(const Edge& e) {
    return {double(e.x0), double(e.y0), double(e.cx), double(e.cy),
            double(e.x1), double(e.y1), e.curved};
}

Segment Backward(const Edge& e) {
    return {double(e.x1), double(e.y1), double(e.cx), double(e.cy),
            double(e.x0), double(e.y0), e.curved};
}

void SetColor(cairo_t* cr, Color color, const std::optional<ColorTransform>& transform) {
    if (transform) {
        color = transform->Apply(color);
    }
    cairo_set_source_rgba(cr, color.r / 255.0, color.g / 255.0, color.b / 255.0, color.a / 255.0);
}

// Joins the segments of one fill into contours, each closed, as the current path.
void BuildFillPath(cairo_t* cr, const std::vector<Segment>& segments) {
    std::map<std::pair<double, double>, std::vector<std::size_t>> starts;
    for (std::size_t i = segments.size(); i-- > 0;) {
        starts[{segments[i].x0, segments[i].y0}].push_back(i);
    }
    std::vector<bool> used(segments.size(), false);
    for (std::size_t first = 0; first < segments.size(); ++first) {
        if (used[first]) {
            continue;
        }
        cairo_move_to(cr, segments[first].x0, segments[first].y0);
        std::size_t at = first;
        for (;;) {
            used[at] = true;
            AddSegment(cr, segments[at]);
            std::vector<std::size_t>& next = starts[{segments[at].x1, segments[at].y1}];
            while (!next.empty() && used[next.back()]) {
                next.pop_back();
            }
            if (next.empty()) {
                break;
            }
            at = next.back();
        }
        cairo_close_path(cr);
    }
}

void DrawShape(cairo_t* cr, const Shape& shape, const std::optional<ColorTransform>& transform) {
    for (const StyleGroup& group : shape.groups) {
        for (std::size_t f = group.fillBegin; f < group.fillEnd; ++f) {
            if (!shape.fills[f].solid) {
                continue;
            }
            std::vector<Segment> segments;
            for (std::size_t i = group.edgeBegin; i < group.edgeEnd; ++i) {
                const Edge& e = shape.edges[i];
                if (e.fill1 == f + 1) {
                    segments.push_back(Forward(e));
                }
                if (e.fill0 == f + 1) {
                    segments.push_back(Backward(e));
                }
            }
            if (segments.empty()) {
                continue;
            }
            // Starts are looked up exactly: a contour's ends meet at the same twip.
            BuildFillPath(cr, segments);
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
            SetColor(cr, shape.fills[f].color, transform);
            cairo_fill(cr);
        }
        for (std::size_t l = group.lineBegin; l < group.lineEnd; ++l) {
            const LineStyle& style = shape.lines[l];
            if (!style.solid) {
                continue;
            }
            bool any = false;
            double lastX = NAN, lastY = NAN;
            for (std::size_t i = group.edgeBegin; i < group.edgeEnd; ++i) {
                const Edge& e = shape.edges[i];
                if (e.line != l + 1) {
                    continue;
                }
                if (e.x0 != lastX || e.y0 != lastY) {
                    cairo_move_to(cr, e.x0, e.y0);
                }
                AddSegment(cr, Forward(e));
                lastX = e.x1;
                lastY = e.y1;
                any = true;
            }
            if (!any) {
                continue;
            }
            static const cairo_line_cap_t kCaps[] = {CAIRO_LINE_CAP_ROUND, CAIRO_LINE_CAP_BUTT,
                                                     CAIRO_LINE_CAP_SQUARE, CAIRO_LINE_CAP_ROUND};
            static const cairo_line_join_t kJoins[] = {CAIRO_LINE_JOIN_ROUND, CAIRO_LINE_JOIN_BEVEL,
                                                       CAIRO_LINE_JOIN_MITER,
                                                       CAIRO_LINE_JOIN_ROUND};
            cairo_set_line_cap(cr, kCaps[style.cap & 3]);
            cairo_set_line_join(cr, kJoins[style.join & 3]);
            cairo_set_miter_limit(cr, style.miterLimit);
            SetColor(cr, style.color, transform);
            cairo_save(cr);
            if (style.width > 0) {
                cairo_set_line_width(cr, style.width);
            } else {
                // A hairline: one pixel whatever the scale.
                cairo_identity_matrix(cr);
                cairo_set_line_width(cr, 1);
            }
            cairo_stroke(cr);
            cairo_restore(cr);
        }
    }
}

bool Usable(const Matrix& m) {
    double det = m.xx * m.yy - m.xy * m.yx;
    return std::isfinite(det) && std::fabs(det) > 1e-12 && std::isfinite(m.x0) &&
           std::isfinite(m.y0);
}

}  // namespace

void Render(const Movie& movie, const Stage& stage, cairo_surface_t* surface) {
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, stage.background.r / 255.0, stage.background.g / 255.0,
                         stage.background.b / 255.0);
    cairo_paint(cr);
    cairo_scale(cr, width / (double(movie.xMax) - movie.xMin),
                height / (double(movie.yMax) - movie.yMin));
    cairo_translate(cr, -double(movie.xMin), -double(movie.yMin));
    for (const auto& [depth, placed] : stage.list) {
        auto shape = movie.shapes.find(placed.character);
        if (placed.clipLayer || shape == movie.shapes.end() || !Usable(placed.matrix)) {
            continue;
        }
        const Matrix& m = placed.matrix;
        cairo_matrix_t matrix;
        cairo_matrix_init(&matrix, m.xx, m.yx, m.xy, m.yy, m.x0, m.y0);
        cairo_save(cr);
        cairo_transform(cr, &matrix);
        DrawShape(cr, shape->second, placed.transform);
        cairo_restore(cr);
        if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
            break;
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
}

}  // namespace tmxhost::swf
