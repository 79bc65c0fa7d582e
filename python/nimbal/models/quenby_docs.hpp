// The docstrings of nimbal.models.quenby.
#pragma once

#include <string_view>
#include <utility>

namespace nimbal::py::quenby::doc {

// What each field means, as its attribute's docstring. Lengths are in model
// units, angles in degrees, sketch coordinates plane-local (u, v).
constexpr std::pair<std::string_view, const char*> fields[] = {
    {"translation", "Where the shape is placed: a Translation, applied after the rotation."},
    {"rotation", "How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."},
    {"x", "Component along X (a translation in model units, a rotation in degrees)."},
    {"y", "Component along Y (a translation in model units, a rotation in degrees)."},
    {"z", "Component along Z (a translation in model units, a rotation in degrees)."},
    {"width", "Size along X (for a sketch rectangle: along the plane's u axis)."},
    {"height", "Size along Y, or along the axis for a cylinder or cone (for a sketch rectangle: along v)."},
    {"depth", "Size along Z for a box; distance along the face normal for an extrusion."},
    {"radius", "Radius of the sphere, cylinder or circle."},
    {"base_radius", "Radius of the cone at its base."},
    {"top_radius", "Radius of the cone at its top (0 for a pointed cone)."},
    {"major_radius", "Distance from the torus's axis to the centre of its tube."},
    {"minor_radius", "Radius of the torus's tube."},
    {"plane_id", "Shape id of the reference plane the element or sketch lies on."},
    {"local_u", "Plane-local u of the element's anchor (a rectangle's lower-left corner, a circle's centre)."},
    {"local_v", "Plane-local v of the element's anchor (a rectangle's lower-left corner, a circle's centre)."},
    {"filled", "True for a face, False for an outline wire only."},
    {"points", "The polyline's points in world coordinates, (x, y, z) each."},
    {"closed", "True when the last point joins the first."},
    {"normal_x", "X of the plane's normal."},
    {"normal_y", "Y of the plane's normal."},
    {"normal_z", "Z of the plane's normal."},
    {"origin_x", "X of the plane's origin."},
    {"origin_y", "Y of the plane's origin."},
    {"origin_z", "Z of the plane's origin."},
    {"source", "How the plane was made: 'standard', 'custom' or 'from_face'."},
    {"standard_plane", "The standard plane's name ('xy', 'xz' or 'yz') when the source is 'standard'."},
    {"source_face_id", "Shape id of the face the plane was taken from when the source is 'from_face'."},
    {"count_x", "Number of copies along X (at least 1)."},
    {"count_y", "Number of copies along Y (at least 1)."},
    {"count_z", "Number of copies along Z (at least 1)."},
    {"spacing_x", "Distance between neighbouring copies along X."},
    {"spacing_y", "Distance between neighbouring copies along Y."},
    {"spacing_z", "Distance between neighbouring copies along Z."},
    {"fillet_radius", "Radius of the fillet."},
    {"edge_indices", "Indices of the edges to fillet, in the shape's sub-shape order; empty for every edge."},
    {"corner_radius", "Radius of each rounded corner."},
    {"vertex_indices", "Indices of the vertices to round, in the shape's sub-shape order."},
    {"remove_internal_edges", "Whether the result's faces and edges of one surface or curve are merged."},
    {"p1", "Start of the line, (u, v)."},
    {"p2", "End of the line, (u, v)."},
    {"start", "First point of the arc, (u, v)."},
    {"mid", "A point the arc passes through between start and end, (u, v)."},
    {"end", "Last point of the arc, (u, v)."},
    {"points_uv", "The polyline's points, (u, v) each."},
};

// The constructor's, around the list of field names.
constexpr const char* init_head =
    "A record from its fields by position (in this order) or keyword; a field not given keeps its default: ";
constexpr const char* init_tail = R"(.

Raises TypeError for an unknown keyword, too many arguments or a value of the wrong type, ValueError for an integer out of range.)";

constexpr const char* vec3_to_dict = "The dictionary form: {'x': ..., 'y': ..., 'z': ...}, plain floats.";
constexpr const char* vec3_from_dict = R"(An instance of cls from a mapping with x, y and z; a missing key keeps its default.

Raises AttributeError when data has no get, TypeError or ValueError for a value that is no number.)";
constexpr const char* to_dict = "The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON.";
constexpr const char* from_dict = R"(An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.)";

constexpr const char* list = "A live list of a record field: changes reach the record.";

}  // namespace nimbal::py::quenby::doc
