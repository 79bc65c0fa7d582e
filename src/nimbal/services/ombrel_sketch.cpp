// Restoring planes' sketches: the saved elements are rebuilt inside a new
// sketch manager bound to the plane, which is then committed into the
// geometry manager under the sketch's saved id.
#include "nimbal/errors.hpp"
#include "nimbal/log.hpp"
#include "nimbal/managers/tessik.hpp"
#include "nimbal/services/ombrel.hpp"
#include "nimbal/services/ombrel_json.hpp"

namespace nimbal::services {

using managers::CoreTessik;
using managers::ManagedShapePtr;
namespace m = nimbal::models;
namespace oj = ombrel_json;
using namespace ombrel_detail;

namespace {

constexpr log::Logger root_log("");

// The sketch manager as the geometry manager reads it.
class TessikSource final : public managers::SketchSource {
 public:
  explicit TessikSource(CoreTessik& t) : t_(t) {}
  std::vector<std::string> get_all_shape_ids() override { return t_.get_all_shape_ids(); }
  ManagedShapePtr get_shape(const std::string& id) override { return t_.get_shape(id); }

 private:
  CoreTessik& t_;
};

// tuple(color): every item; a colour here holds exactly three numbers.
managers::Color element_color(const Json& value) {
  std::vector<Json> items = iterate(value);
  if (items.size() != 3)
    throw WrongType("color must hold exactly 3 numbers, got " + std::to_string(items.size()));
  managers::Color c{};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!items[i].is_number() && !items[i].is_boolean())
      throw WrongType("color components must be numbers, not '" + oj::py_type_name(items[i]) + "'");
    c[i] = items[i].is_boolean() ? (items[i].get<bool>() ? 1.0 : 0.0) : items[i].get<double>();
  }
  return c;
}

}  // namespace

std::optional<std::string> ProjectSerializer::_deserialize_sketch(const Json& data, const managers::Color& color,
                                                                  const std::optional<std::string>& name,
                                                                  const Json& properties_data, CoreCorvath& corvath,
                                                                  ProjectArchive&) {
  const Json* sid = get(data, "shape_id");
  if (!sid || !truthy(*sid)) return std::nullopt;
  if (!sid->is_string()) throw WrongType("shape_id must be a str, not '" + oj::py_type_name(*sid) + "'");
  const std::string id = sid->get<std::string>();
  auto rec = m::from_dict<m::SketchProperties>(properties_data);
  ManagedShapePtr plane = corvath.get_shape(rec->plane_id);
  std::shared_ptr<m::PlaneProperties> plane_record;
  bool saved_plane = false;
  if (plane && plane->properties && plane->properties->is<m::PlaneProperties>()) {
    // Bound to the plane's own record, not a copy.
    plane_record = std::static_pointer_cast<m::PlaneProperties>(plane->properties);
  } else if (const Json* saved = get(data, "plane_properties"); saved && saved->is_object()) {
    // A sketch saved after its plane was removed stands on the plane's
    // record saved with it; the plane itself stays removed.
    plane_record = m::from_dict<m::PlaneProperties>(*saved);
    saved_plane = true;
  } else {
    root_log.warning("Cannot restore sketch " + id + ": plane " + rec->plane_id + " not found");
    return std::nullopt;
  }
  if (corvath.get_shape(id)) {
    // Restoring would replace a shape already loaded under that id.
    root_log.warning("Cannot restore sketch " + id + ": id already in use");
    return std::nullopt;
  }
  auto tessik = std::make_shared<CoreTessik>(rec->plane_id, plane_record);
  // A later save finds the removed plane's record again.
  if (saved_plane) corvath._remember_plane(rec->plane_id, plane_record);
  if (const Json* comps = get(data, "components"))
    for_each_item(*comps, [&](const Json& c) { _create_sketch_comp_in_manager(c, *tessik); });
  TessikSource source(*tessik);
  return corvath.restore_sketch(id, rec, source, color, name);
}

std::optional<std::string> ProjectSerializer::_create_sketch_comp_in_manager(const Json& comp_data,
                                                                             CoreTessik& tessik, int depth) {
  check_depth(depth);
  const ShapeType t = shape_type_of(item(comp_data, "shape_type"));
  const Json* p = get(comp_data, "properties");
  const Json props = p ? *p : Json::object();
  const managers::Color color = element_color(item(comp_data, "color"));
  const std::optional<std::string> name = name_of(item(comp_data, "name"));

  // An element's placement does not move it off its plane, but its record
  // keeps what was saved: the element builders take no placement.
  auto placed = [](const ManagedShapePtr& ms, const m::Quenby& saved) -> std::optional<std::string> {
    if (!ms) return std::nullopt;
    if (ms->properties) {
      ms->properties->translation = saved.translation;
      ms->properties->rotation = saved.rotation;
    }
    return ms->shape_id;
  };
  switch (t) {
    case ShapeType::RECTANGLE: {
      auto r = m::from_dict<m::RectangleProperties>(props);
      return placed(tessik.create_rectangle(r->local_u, r->local_v, r->width, r->height, color, name, r->filled), *r);
    }
    case ShapeType::CIRCLE: {
      auto r = m::from_dict<m::CircleProperties>(props);
      return placed(tessik.create_circle(r->local_u, r->local_v, r->radius, color, name, r->filled), *r);
    }
    case ShapeType::LINE: {
      auto r = m::from_dict<m::LineProperties>(props);
      return placed(tessik.create_line(r->p1, r->p2, color, name), *r);
    }
    case ShapeType::ARC: {
      auto r = m::from_dict<m::ArcProperties>(props);
      return placed(tessik.create_arc(r->start, r->mid, r->end, color, name), *r);
    }
    case ShapeType::SKETCH_POLYLINE: {
      auto r = m::from_dict<m::SketchPolylineProperties>(props);
      std::vector<managers::PlanePoint> pts(r->points_uv.begin(), r->points_uv.end());
      return placed(tessik.create_sketch_polyline(pts, r->closed, r->filled, color, name), *r);
    }
    case ShapeType::UNION:
    case ShapeType::SUBTRACTION: {
      std::vector<std::string> ids;
      if (const Json* comps = get(comp_data, "components"))
        for_each_item(*comps, [&](const Json& c) {
          if (auto id = _create_sketch_comp_in_manager(c, tessik, depth + 1)) ids.push_back(*id);
        });
      if (ids.size() < 2) return std::nullopt;
      auto bp = m::from_dict<m::BooleanProperties>(props);
      std::optional<std::string> new_id =
          t == ShapeType::UNION ? tessik.union_shapes(ids, bp) : tessik.subtract_shapes(ids, bp);
      // The boolean element keeps its saved name and colour, which the
      // commit copies into the geometry manager.
      if (new_id)
        if (ManagedShapePtr ms = tessik.get_shape(*new_id)) {
          if (name) {
            ms->name = *name;
            managers::names_changed_outside();
          }
          ms->color = color;
        }
      return new_id;
    }
    default: return std::nullopt;
  }
}

}  // namespace nimbal::services
