// The geometry manager: the registry of managed shapes, their creation,
// recomputation and editing through a geometry kernel service, undo and
// redo through a Hathel, and the hooks through which a host follows every
// change. Hooks and the progress scope are virtual so a host's subclass (in
// C++ or Python) receives them.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "nimbal/arguments.hpp"
#include "nimbal/enums.hpp"
#include "nimbal/host_value.hpp"
#include "nimbal/managers/core_manager.hpp"
#include "nimbal/models/quenby.hpp"
#include "nimbal/services/drulen.hpp"
#include "nimbal/services/hathel.hpp"

namespace nimbal::managers {

inline constexpr Color DEFAULT_SHAPE_COLOR{0.7, 0.75, 0.8};
inline constexpr Color DEFAULT_PLANE_COLOR{0.4, 0.8, 1.0};

// (0, 0, 1) turned about world X, then Y, then Z (degrees).
Point3 normal_from_rotation_deg(double rx, double ry, double rz);

// A vector of numbers as the host gave it: its items are read, and each
// tested for a number, only when the manager reaches them.
using HostVector = HostValue<std::vector<HostValue<double>>>;

// What the manager reads of a sketch manager when a sketch is committed or
// restored (it never writes to it).
class SketchSource {
 public:
  virtual ~SketchSource() = default;
  // Every record's id, hidden components included, in registry order.
  virtual std::vector<std::string> get_all_shape_ids() = 0;
  // Null when there is no such record.
  virtual ManagedShapePtr get_shape(const std::string& shape_id) = 0;
};

// One record of a sketch manager as a host's object gives it: none, one of
// our own ManagedShape objects, or a look-alike read field by field.
class SketchRecordReader {
 public:
  enum class Kind { None, Managed, Fields };
  virtual ~SketchRecordReader() = default;
  virtual Kind kind() const = 0;
  // Kind::Managed: the record itself.
  virtual ManagedShapePtr managed() const = 0;
  // Kind::Fields: the object's identity (for the cycle check), its shape,
  // type, name, colour and record (read in that order), its components (as
  // readers, not read yet) and, read last, its parent id.
  virtual const void* identity() const = 0;
  virtual void read_fields(ManagedShape& out) = 0;
  virtual std::vector<std::unique_ptr<SketchRecordReader>> components() = 0;
  virtual std::optional<std::string> parent_id() = 0;
};

// One answer of a sketch manager's get_all_shape_ids: text, refused
// (WrongType) otherwise.
std::string sketch_shape_id(const HostValue<std::string>& answer);

// The record `root` reads as a ManagedShape, null for none. Look-alike
// records are read depth first without recursion, so a union chain of any
// depth is read with the heap: each record's fields, its components (each
// read whole in turn; none among them is passed over), then its parent id.
// A record among its own components is refused (InvalidValue).
ManagedShapePtr read_sketch_record(SketchRecordReader& root);

// Builds sketch elements on their plane the way the sketch manager does, so
// that an element rebuilt here (an edit, a moved plane) is what a project
// load rebuilds. The sketch manager's library provides it: only it knows the
// sketch plane service. Without one, sketch elements cannot be rebuilt here
// and such edits fail.
class SketchElementBuilder {
 public:
  virtual ~SketchElementBuilder() = default;
  // The element of type `t` from its record on `plane`; null when the
  // record gives no element. Kernel errors reach the caller.
  virtual TopoDS_Shape element(ShapeType t, const Quenby& record,
                               const std::shared_ptr<models::PlaneProperties>& plane) = 0;
  // A sketch union or subtraction folded from its components' shapes and
  // merged as its record asks; null when a step gives none.
  virtual TopoDS_Shape combination(const ManagedShape& ms) = 0;
};
// The builder every geometry manager uses from now on (null: none).
void set_sketch_element_builder(std::shared_ptr<SketchElementBuilder> builder);
std::shared_ptr<SketchElementBuilder> sketch_element_builder();

// The record class of each shape type, in table order; types without an
// entry use Quenby.
const std::vector<std::pair<ShapeType, const models::RecordType*>>& properties_class_table();
const models::RecordType& properties_class(ShapeType t);

// update_shape's answer: a new kernel shape, true (planes, empty sketches),
// or none (unknown id or failure).
struct UpdateResult {
  enum class Kind { None, Shape, True };
  Kind kind = Kind::None;
  TopoDS_Shape shape;
  static UpdateResult none() { return {}; }
  static UpdateResult of(const TopoDS_Shape& s) { return {Kind::Shape, s}; }
  static UpdateResult yes() { return {Kind::True, {}}; }
};

class CoreCorvath : public CoreManager {
 public:
  // A null service means a new Drulen.
  explicit CoreCorvath(std::shared_ptr<DrulenProtocol> geo_service = nullptr);

  // ---- hooks of its own and the progress scope ----
  virtual void _notify_operation_failed(const std::string& operation, const std::string& message) {}
  // The progress scope: runs `step` exactly once and lets its exceptions
  // through. Returns false when an override swallowed an exception of the
  // step (the step then has no result).
  virtual bool _operation(const std::string& message, const std::function<void()>& step) {
    step();
    return true;
  }

  // ---- undo history and snapshots ----
  void clear_undo_history() { undo_redo_.clear(); }
  long long undo_depth() const { return undo_redo_.depth(); }
  void trim_undo_to(long long depth) { undo_redo_.trim_to(depth); }
  services::CommandList& _undo_stack() { return undo_redo_.undo_stack(); }

  SnapshotPtr _snapshot(const std::string& shape_id) const;
  // The shape, then each component's subtree in order (pre-order). The host
  // may pass no map at all (None), which is refused.
  void _collect_snapshots(const ManagedShape& ms, Filled<State, false> out) const;

  // ---- creation ----
  ManagedShapePtr create_shape(ShapeType shape_type, const RecordPtr& properties,
                               const Color& color = DEFAULT_SHAPE_COLOR,
                               std::optional<std::string> name = std::nullopt);
  ManagedShapePtr import_shape(const std::string& filename, const Color& color = DEFAULT_SHAPE_COLOR,
                               Nullable<Quenby> properties = nullptr,
                               std::optional<std::string> name = std::nullopt);
  // import_shape's two halves. The read runs in the progress scope and
  // reports a file that gives no shape as a failed import; the second
  // registers a shape read before, placed by its record.
  TopoDS_Shape read_import_file(const std::string& filename);
  ManagedShapePtr add_imported_shape(const TopoDS_Shape& shape, const Color& color, RecordPtr properties,
                                     std::optional<std::string> name);
  ManagedShapePtr create_plane_from_standard(StandardPlane standard_plane,
                                             const Color& color = DEFAULT_PLANE_COLOR,
                                             std::optional<std::string> name = std::nullopt);
  ManagedShapePtr create_arbitrary_plane(const Point3& translation = {0, 0, 0},
                                         const Point3& rotation_deg = {0, 0, 0},
                                         const Color& color = DEFAULT_PLANE_COLOR,
                                         std::optional<std::string> name = std::nullopt);
  // The same as the host calls it: the rotation is judged before the
  // translation (its count, then its items), the name (a text or none) last.
  ManagedShapePtr create_arbitrary_plane_as_given(const HostVector& translation, const HostVector& rotation_deg,
                                                  const Color& color, const HostValue<std::string>& name);
  // A null face gives none without asking the kernel service.
  ManagedShapePtr create_plane_from_face_shape(const NullableShape& face_topo,
                                               const Color& color = DEFAULT_PLANE_COLOR,
                                               std::optional<std::string> name = std::nullopt);
  ManagedShapePtr create_plane_from_face(const std::string& face_shape_id,
                                         const Color& color = DEFAULT_PLANE_COLOR,
                                         std::optional<std::string> name = std::nullopt);

  // ---- update and recomputation ----
  UpdateResult update_shape(const std::string& shape_id, const RecordPtr& properties);
  TopoDS_Shape _update_component_shape(const ManagedShapePtr& managed_shape, const RecordPtr& properties);
  TopoDS_Shape _recompute_boolean_from_components(const ManagedShape& ms);
  TopoDS_Shape _build_array_compound(const NullableShape& base_shape, const models::ArrayProperties& props);
  TopoDS_Shape _recompute_array_from_component(const ManagedShape& array_shape);
  TopoDS_Shape _recompute_fillet_from_component(const ManagedShape& ms, const Nullable<Quenby>& properties = nullptr);
  TopoDS_Shape _recompute_corner_round_from_component(const ManagedShape& ms,
                                                      const Nullable<Quenby>& properties = nullptr);
  TopoDS_Shape _recompute_polyline_round_from_component(const ManagedShape& ms,
                                                        const Nullable<Quenby>& properties = nullptr);
  TopoDS_Shape _recompute_extrude_from_component(const ManagedShape& ms, const Nullable<Quenby>& properties = nullptr);

  TopoDS_Shape _create_shape_from_properties(ShapeType shape_type, const Quenby& properties);
  TopoDS_Shape _apply_transformations(const NullableShape& shape, const Quenby& properties);
  TopoDS_Shape _update_transformed_shape(const ManagedShape& ms, const Quenby& new_properties);
  // Compound of the components' shapes as registered now; null when empty.
  TopoDS_Shape _rebuild_sketch_compound(const ManagedShape& ms) const;

  // ---- editing and queries ----
  std::vector<std::string> decompose_shape(const std::string& shape_id);
  ManagedShapePtr get_base_shape(const std::string& shape_id) const;
  std::vector<ManagedShapePtr> get_modifier_chain(const std::string& shape_id) const;
  void _remove_shape(const ManagedShapePtr& ms);
  void _remove_component_subtree(const ManagedShape& ms);

  // ---- booleans and modifiers ----
  std::optional<std::string> union_shapes(const std::vector<std::string>& shape_ids);
  std::optional<std::string> subtract_shapes(const std::vector<std::string>& shape_ids);
  std::optional<std::string> create_shape_array(const std::string& base_shape_id, const RecordPtr& properties);
  std::optional<std::string> fillet_shape(const std::string& base_shape_id, const RecordPtr& properties);
  std::optional<std::string> corner_round_shape(const std::string& base_shape_id, const RecordPtr& properties);
  std::optional<std::string> polyline_round_shape(const std::string& base_shape_id, const RecordPtr& properties);
  std::optional<std::string> extrude_shape(const std::string& base_shape_id, const RecordPtr& properties);
  std::vector<std::string> split_to_faces(const std::string& shape_id);

  // ---- sketches ----
  ManagedShapePtr create_sketch(const std::string& plane_id, const Color& color = DEFAULT_PLANE_COLOR,
                                std::optional<std::string> name = std::nullopt);
  bool commit_sketch(const std::string& sketch_id, SketchSource& tessik);
  ManagedShapePtr restore_plane(const std::string& shape_id, const RecordPtr& properties,
                                const Color& color = DEFAULT_PLANE_COLOR,
                                std::optional<std::string> name = std::nullopt);
  std::string restore_sketch(const std::string& shape_id, const RecordPtr& properties, SketchSource& tessik,
                             const Color& color = DEFAULT_SHAPE_COLOR,
                             std::optional<std::string> name = std::nullopt);
  // A registered copy of a sketch manager's record (unions and subtractions
  // with copies of their inputs), entered into the undo maps when given.
  NeverNull<ManagedShape> _build_sketch_comp(const ManagedShape& sketch_ms, const std::string& comp_parent_id,
                                             Filled<State, true> before = nullptr, Filled<State, true> after = nullptr);

  // The record of the plane `plane_id` a sketch stands on: the registered
  // plane's, else that of a plane of that id that has been removed; null
  // when there is neither.
  RecordPtr _sketch_plane_record(const std::string& plane_id) const;
  // Keeps a plane record a restored sketch stands on reachable, though no
  // plane of that id is registered.
  void _remember_plane(const std::string& plane_id, RecordPtr record) { shapes_.remember_plane(plane_id, std::move(record)); }

  // ---- export ----
  bool export_shapes_to_step(const std::string& filename);
  bool export_shapes_to_iges(const std::string& filename);
  bool export_shape_to_step(const std::string& shape_id, const std::string& filename);
  bool export_shape_to_iges(const std::string& shape_id, const std::string& filename);

  DrulenProtocol& _geo_service() { return *geo_; }

 private:
  enum class Boolean { Union, Subtraction };
  enum class Modifier { Array, Fillet, CornerRound, PolylineRound, Extrude };
  std::optional<std::string> combine(Boolean kind, const std::vector<std::string>& shape_ids);
  std::optional<std::string> modify(Modifier kind, const std::string& base_shape_id, const RecordPtr& properties);
  TopoDS_Shape modifier_step(Modifier kind, const TopoDS_Shape& base, const Quenby& properties);
  bool export_all(bool step, const std::string& filename);
  bool export_one(bool step, const std::string& shape_id, const std::string& filename);
  ManagedShapePtr register_plane(const std::string& description, std::shared_ptr<models::PlaneProperties> props,
                                 const Color& color, std::string name);
  // A derived shape recomputed from its components and its own record,
  // placed; null when the kernel gives nothing.
  TopoDS_Shape recompute_parent(const ManagedShape& parent);

  // ---- recomputing what holds an edited entry ----
  // Entries recomputed but not stored yet: each a copy of the registered
  // entry with its new shape, listing the other copies in place of the
  // registered entries they stand for. `order` is the order they were made
  // in, innermost first.
  struct Recomputation {
    std::unordered_map<std::string, ManagedShapePtr> copies;
    std::vector<std::string> order;
    // The copy of the registered `ms` (made on first use).
    ManagedShapePtr copy_of(const ManagedShape& ms);
    // `ms` with every component that has a copy replaced by that copy.
    void relink(ManagedShape& ms) const;
  };
  // The holders of `ms`, its parent first, up to the top-level one.
  std::vector<ManagedShapePtr> holders_of(const ManagedShape& ms) const;
  // Recomputes `holder` (a copy in `work`) from its components as they
  // stand in `work`; false, with nothing recorded, when it gives no shape.
  bool recompute_holder(Recomputation& work, const ManagedShape& holder);
  // Recomputes each holder of `ms` in turn, innermost first; false when one
  // of them gives no shape.
  bool recompute_holders(Recomputation& work, const ManagedShape& ms);
  // Every sketch on plane `plane_id`, its elements rebuilt on `plane`, and
  // what holds it; false when something gives no shape.
  bool rebuild_sketches_on(Recomputation& work, const std::string& plane_id,
                           const std::shared_ptr<models::PlaneProperties>& plane);
  // Stores every copy's shape (and, for `edited`, its record) into the
  // registered entry.
  void store_recomputed(const Recomputation& work, const std::string& edited = {});
  // The sketch that holds `ms` through sketch unions and subtractions, if
  // any (`ms` itself when it is a sketch).
  ManagedShapePtr sketch_holding(const ManagedShape& ms) const;
  // The plane record of the sketch `sketch`; null when its plane is gone.
  std::shared_ptr<models::PlaneProperties> plane_of_sketch(const ManagedShape& sketch) const;
  // A sketch element (or sketch boolean) rebuilt on its sketch's plane from
  // `record`; null when it cannot be.
  TopoDS_Shape rebuild_sketch_element(const Recomputation& work, const ManagedShape& ms, const Quenby& record);
  // The sketch manager's top-level records with geometry.
  std::vector<ManagedShapePtr> sketch_records(SketchSource& tessik);
  // Copies of a sketch manager's records, made but not registered yet.
  struct SketchCopies {
    ComponentList components;            // one per record, the sketch's components
    std::vector<ManagedShapePtr> order;  // every copy, inputs ahead of their holders
    TopoDS_Shape shape;                  // the placed compound; null without components
    bool placed = false;                 // whether placing gave a shape
  };
  // The copy of `rec` (and of the inputs it follows) under `comp_parent_id`,
  // with ids that are neither registered nor in `taken`; every copy made is
  // appended to `order`. Registers nothing.
  ManagedShapePtr copy_sketch_record(const ManagedShape& rec, const std::string& comp_parent_id,
                                     std::unordered_set<std::string>& taken, std::vector<ManagedShapePtr>& order);
  // Reads `tessik` and makes the copies and placed compound of sketch
  // `sketch_id`; changes nothing.
  SketchCopies prepare_sketch(SketchSource& tessik, const std::string& sketch_id, const Quenby& placement);
  void register_sketch_copies(const SketchCopies& copies);
  // Whether the model stays within the limits of limits.hpp once the
  // operation `title` is done: the top-level shapes but `leaving`, plus
  // `joining` (shapes made, not registered yet), with `replaced` standing
  // in for `original` wherever it is held. When it would not, the operation
  // is reported failed and false returned: nothing may have changed yet.
  bool within_limits(const std::string& title, const std::vector<const ManagedShape*>& joining,
                     const std::vector<const ManagedShape*>& leaving = {}, const ManagedShape* original = nullptr,
                     const ManagedShape* replaced = nullptr);
  std::shared_ptr<DrulenProtocol> geo_;
};

}  // namespace nimbal::managers
