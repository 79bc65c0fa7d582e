// Property records as arguments. The classes are registered by
// nimbal.models.quenby, which a module using this imports first.
#pragma once

#include <memory>

#include "nimbal/models/quenby.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py {

inline std::shared_ptr<models::Quenby> record_from_py(pyb::handle v, const char* what) {
  if (!pyb::isinstance<models::Quenby>(v))
    throw nimbal::TypeError(std::string(what) + " must be a property record, not '" + type_name(v) + "'");
  return v.cast<std::shared_ptr<models::Quenby>>();
}

}  // namespace nimbal::py
