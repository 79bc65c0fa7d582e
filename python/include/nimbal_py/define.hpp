// The one way a method (or a module function) is bound: the core function,
// its argument names, its docstring, and options.
//
//   nimbal::py::def(c, "create_shape", &CoreCorvath::create_shape, pyb::arg("shape_type"),
//                   pyb::arg("properties"), pyb::arg("name") = pyb::none(), doc::create_shape);
//
// and a constructor (see as_constructor; made<T, A...> is T's own):
//
//   nimbal::py::def(aspect, "__init__", made<Prs3d_LineAspect, Quantity_Color, Aspect_TypeOfLine, double>,
//                   as_constructor, pyb::arg("color"), pyb::arg("type"), pyb::arg("width"));
//
// Every argument is taken as a plain object and read by the one rule of its
// C++ parameter type (value_rules.hpp for plain values; convert.hpp, which a
// binding that passes kernel or host values includes first, for those; a
// module's own value type has its rule beside the module's binding, in
// nimbal::py::convert); signatures and stubs show the Python type each rule
// accepts. Every parameter needs its pyb::arg (checked when the binding
// compiles), except trailing pyb::args and pyb::kwargs, which take the rest
// of the call as pybind11 collects it. Options, anywhere among the extras:
//   nimbal::py::unlocked          the core call runs with the interpreter lock
//                                 released (a Python override it calls takes
//                                 it back);
//   nimbal::py::as_static         on a class: a static method (no self);
//   nimbal::py::as_classmethod    on a class: a class method, whose first
//                                 parameter is the class it is called on
//                                 (shown as `cls`);
//   nimbal::py::as_constructor    on a class, named "__init__": f is the
//                                 factory pybind11::init takes (it returns
//                                 the object, its holder or a pointer to it);
//   nimbal::py::trampoline(af)    with as_constructor, on a class with a
//                                 trampoline: af, with f's parameters, makes
//                                 the trampoline for a Python subclass (f
//                                 makes the class itself);
//   nimbal::py::on_refusal(f)     a refused argument is answered by
//                                 f(tag<R>, raw arguments...);
//   nimbal::py::logged{head}      a refused argument takes the operation's
//                                 own error path (logged under `head`, None;
//                                 service_args.hpp).
// A member function's self is its class (a base class's member binds on the
// derived class); a lambda's or a plain function's first parameter is self
// on a class unless as_static; a module function has none.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "nimbal_py/common.hpp"
#include "nimbal_py/value_rules.hpp"

namespace nimbal::py {

namespace define {

struct unlocked_t {
  explicit constexpr unlocked_t() = default;
};
struct static_t {
  explicit constexpr static_t() = default;
};
struct class_t {
  explicit constexpr class_t() = default;
};
struct constructor_t {
  explicit constexpr constructor_t() = default;
};
template <class F>
struct trampoline_t {
  F make;
};
template <class X>
struct is_trampoline : std::false_type {};
template <class F>
struct is_trampoline<trampoline_t<F>> : std::true_type {};

// What every way of answering a failed conversion is; one whose answer
// words the operation's own message leaves the arguments unnamed.
struct refusal_option {
  static constexpr bool names_arguments = true;
};

// A failed conversion answered otherwise than by raising it.
template <class Answer>
struct refusal : refusal_option {
  Answer answer;
  template <class R, class... Raw>
  pyb::object operator()(convert::tag<R> t, const Raw&... raw) const {
    return answer(t, raw...);
  }
};

struct rethrow : refusal_option {
  template <class R, class... Raw>
  pyb::object operator()(convert::tag<R>, const Raw&...) const {
    throw;
  }
};

}  // namespace define

inline constexpr define::unlocked_t unlocked{};
inline constexpr define::static_t as_static{};
inline constexpr define::class_t as_classmethod{};
inline constexpr define::constructor_t as_constructor{};
template <class F>
define::trampoline_t<F> trampoline(F af) {
  return {std::move(af)};
}

// The factory of a class made by its constructor from parameters of types A.
template <class T, class... A>
T* made(A... a) {
  return new T(std::move(a)...);
}

template <class Answer>
define::refusal<Answer> on_refusal(Answer answer) {
  return {{}, std::move(answer)};
}

namespace define {

template <class X>
constexpr bool is_refusal = std::is_base_of_v<refusal_option, X>;

template <class X>
constexpr bool is_option =
    std::is_same_v<X, unlocked_t> || std::is_same_v<X, static_t> || std::is_same_v<X, class_t> ||
    std::is_same_v<X, constructor_t> || is_trampoline<X>::value || is_refusal<X>;

// The trampoline's factory among the extras, or none.
inline std::nullptr_t find_trampoline() { return nullptr; }
template <class X, class... Rest>
auto find_trampoline(const X& x, const Rest&... rest) {
  if constexpr (is_trampoline<X>::value) return x.make;
  else return find_trampoline(rest...);
}

inline rethrow find_refusal() { return {}; }
template <class X, class... Rest>
auto find_refusal(const X& x, const Rest&... rest) {
  if constexpr (is_refusal<X>) return x;
  else return find_refusal(rest...);
}

// The extras pybind11 takes (argument names, docstring, policies).
template <class X>
auto pybind_extra(const X& x) {
  if constexpr (is_option<X>) return std::tuple<>();
  else return std::tuple<const X&>(x);
}

// What a callable is: its result, its self (void for none) and its
// parameters as they are read. A member function's self is its class; a
// callable object's (a lambda's) or a plain function's is its first
// parameter when WithSelf.
template <class R, class S, class... A>
struct signature {
  using ret = R;
  using self = S;
  using kinds = std::tuple<convert::read_kind_t<A>...>;
};

template <class M, bool WithSelf>
struct call_operator;
template <class R, class L, class S, class... A>
struct call_operator<R (L::*)(S, A...) const, true> : signature<R, S, A...> {};
template <class R, class L, class... A>
struct call_operator<R (L::*)(A...) const, false> : signature<R, void, A...> {};

template <class F, bool WithSelf>
struct traits : call_operator<decltype(&F::operator()), WithSelf> {};
template <class R, class C, class... A, bool W>
struct traits<R (C::*)(A...), W> : signature<R, C&, A...> {};
template <class R, class C, class... A, bool W>
struct traits<R (C::*)(A...) const, W> : signature<R, const C&, A...> {};
template <class R, class... A>
struct traits<R (*)(A...), false> : signature<R, void, A...> {};
template <class R, class S, class... A>
struct traits<R (*)(S, A...), true> : signature<R, S, A...> {};

// The self a method of class C takes: C itself where the callable's self is
// a base class of it (pybind11 knows only the classes it binds).
template <class C, class S>
struct self_as {
  using type = S;
};
template <class C, class B>
struct self_as<C, B&> {
  using Derived = std::conditional_t<std::is_const_v<B>, const C, C>;
  using type = std::conditional_t<std::is_base_of_v<std::remove_const_t<B>, C>, Derived&, B&>;
};

template <class Target, class S, bool Static>
struct self_of {
  using type = void;
};
template <class Target, class S>
struct self_of<Target, S, false> {
  using type = typename self_as<typename Target::type, S>::type;
};

// The names of the pyb::arg items among a definition's extras, in order.
template <std::size_t N, class... Extra>
std::array<const char*, N> arg_names(const Extra&... extra) {
  std::array<const char*, N> names{};
  std::size_t i = 0;
  [[maybe_unused]] auto take = [&](const auto& x) {
    if constexpr (std::is_base_of_v<pyb::arg, std::decay_t<decltype(x)>>) names[i++] = x.name;
  };
  (take(extra), ...);
  return names;
}

// What a kind that fills the caller's argument hands back after the call
// (the int overload wins where A has put()).
template <class A>
auto hand_back(A& a, int) -> decltype(void(a.put())) {
  a.put();
}
template <class A>
void hand_back(A&, long) {}

template <class K>
using held_t = decltype(convert::read<K>(std::declval<pyb::handle>(), std::string_view{}));

// *args and **kwargs: the rest of the call, taken as pybind11 collects it.
template <class K>
constexpr bool is_rest = std::is_same_v<K, pyb::args> || std::is_same_v<K, pyb::kwargs>;
template <class K>
using raw_t = std::conditional_t<is_rest<K>, K, typing::typed<convert::arg_name<K>>>;

// How many parameters at the end are rest parameters; rest_is_last says
// whether those are all there are.
template <class... K>
constexpr std::size_t rest_count(std::tuple<K...>*) {
  constexpr bool rest[] = {false, is_rest<K>...};
  std::size_t count = 0;
  while (count < sizeof...(K) && rest[sizeof...(K) - count]) ++count;
  return count;
}
template <class... K>
constexpr bool rest_is_last(std::tuple<K...>* kinds) {
  // Qualified: a lookup by argument would complete the tuple of kinds.
  return (std::size_t{is_rest<K>} + ... + 0) == define::rest_count(kinds);
}

// `f` with every parameter read by its rule; `on_error`, given the raw
// arguments, answers a failed conversion (rethrowing it by default).
template <class Self, class R, bool Unlock, class F, class OnError, class... K, std::size_t... I>
auto wrap(F f, std::array<const char*, sizeof...(K)> names, OnError on_error, std::tuple<K...>*,
          std::index_sequence<I...>) {
  auto call = [f = std::move(f), names, on_error = std::move(on_error)](auto&& self, auto&... raw) -> pyb::object {
    std::optional<std::tuple<held_t<K>...>> args;
    try {
      args.emplace(std::tuple<held_t<K>...>{convert::read<K>(raw, names[I])...});
    } catch (...) {
      return on_error(convert::tag<R>{}, raw...);
    }
    auto invoke = [&]() -> decltype(auto) {
      if constexpr (std::is_void_v<Self>) return std::invoke(f, std::move(std::get<I>(*args))...);
      else return std::invoke(f, self, std::move(std::get<I>(*args))...);
    };
    pyb::object r = pyb::none();
    if constexpr (std::is_void_v<R>) {
      if constexpr (Unlock) {
        pyb::gil_scoped_release release;
        invoke();
      } else {
        invoke();
      }
    } else if constexpr (Unlock) {
      std::optional<R> out;
      {
        pyb::gil_scoped_release release;
        out.emplace(invoke());
      }
      r = convert::result(std::move(*out));
    } else {
      r = convert::result(invoke());
    }
    (hand_back(std::get<I>(*args), 0), ...);
    return r;
  };
  using Result = typing::typed<convert::result_name<R>>;
  if constexpr (std::is_void_v<Self>) {
    return [call](raw_t<K>... raw) -> Result { return call(nullptr, raw...); };
  } else {
    return [call](Self self, raw_t<K>... raw) -> Result { return call(self, raw...); };
  }
}

// A factory for pybind11::init with every parameter read by its rule.
template <class R, class F, class... K, std::size_t... I>
auto wrap_factory(F f, std::array<const char*, sizeof...(K)> names, std::tuple<K...>*, std::index_sequence<I...>) {
  return [f = std::move(f), names](raw_t<K>... raw) -> R {
    std::tuple<held_t<K>...> args{convert::read<K>(raw, names[I])...};  // in order: braces sequence them
    return std::invoke(f, std::move(std::get<I>(args))...);
  };
}

}  // namespace define

// Defines `name` on `target` (a class, or a module for a module function)
// as `f` with every argument read by the rule of its type; see above.
template <class Target, class F, class... Extra>
Target& def(Target& target, const char* name, F f, const Extra&... extra) {
  constexpr bool is_module = std::is_same_v<Target, pyb::module_>;
  constexpr bool is_init = (std::is_same_v<Extra, define::constructor_t> || ...);
  constexpr bool is_static = is_module || is_init || (std::is_same_v<Extra, define::static_t> || ...);
  constexpr bool is_class = (std::is_same_v<Extra, define::class_t> || ...);
  static_assert(!is_class || !(is_static || std::is_member_function_pointer_v<F>),
                "a class method is a callable whose first parameter is the class");
  constexpr bool unlock = (std::is_same_v<Extra, define::unlocked_t> || ...);
  using T = define::traits<F, !is_static || std::is_member_function_pointer_v<F>>;
  using Kinds = typename T::kinds;
  constexpr std::size_t n = std::tuple_size_v<Kinds>;
  static_assert(define::rest_is_last(static_cast<Kinds*>(nullptr)), "pyb::args and pyb::kwargs come last");
  constexpr std::size_t rest = define::rest_count(static_cast<Kinds*>(nullptr));
  constexpr std::size_t named = (std::size_t{std::is_base_of_v<pyb::arg, Extra>} + ... + 0);
  static_assert(named + rest == n, "a pyb::arg is needed for every parameter but *args and **kwargs, and no more");
  using Self = typename define::self_of<Target, typename T::self, is_static>::type;
  static_assert(is_static || std::is_class_v<std::remove_reference_t<Self>>,
                "a method's first parameter is its self (or give as_static)");
  auto on_error = define::find_refusal(extra...);
  std::array<const char*, n> names = define::arg_names<n>(extra...);
  for (std::size_t i = named; i < n; ++i) names[i] = "the rest of the arguments";
  if constexpr (!decltype(on_error)::names_arguments) names.fill("an argument");
  if constexpr (is_init) {
    static_assert(!unlock && std::is_same_v<decltype(on_error), define::rethrow>,
                  "a constructor raises a refusal and keeps the interpreter lock");
    if (std::string_view(name) != "__init__") throw std::logic_error("a constructor is named __init__");
    auto factory = define::wrap_factory<typename T::ret>(std::move(f), names, static_cast<Kinds*>(nullptr),
                                                         std::make_index_sequence<n>{});
    auto make_trampoline = define::find_trampoline(extra...);
    using AF = decltype(make_trampoline);
    static_assert(std::is_null_pointer_v<AF> || Target::has_alias, "a trampoline factory is for a class with one");
    auto init = [&] {
      if constexpr (std::is_null_pointer_v<AF>) {
        return pyb::init(std::move(factory));
      } else {
        using A = define::traits<AF, false>;
        static_assert(std::is_same_v<typename A::kinds, Kinds>, "the trampoline's factory takes f's parameters");
        return pyb::init(std::move(factory),
                         define::wrap_factory<typename A::ret>(std::move(make_trampoline), names,
                                                               static_cast<Kinds*>(nullptr),
                                                               std::make_index_sequence<n>{}));
      }
    };
    std::apply([&](const auto&... e) { target.def(init(), e...); }, std::tuple_cat(define::pybind_extra(extra)...));
  } else {
    auto wrapped = define::wrap<Self, typename T::ret, unlock>(
        std::move(f), names, std::move(on_error), static_cast<Kinds*>(nullptr), std::make_index_sequence<n>{});
    std::apply(
        [&](const auto&... e) {
          if constexpr (is_module) target.def(name, std::move(wrapped), e...);
          else if constexpr (is_static) target.def_static(name, std::move(wrapped), e...);
          else if constexpr (is_class)
            set_classmethod(target, name, pyb::cpp_function(std::move(wrapped), pyb::name(name), pyb::arg("cls"), e...));
          else target.def(name, std::move(wrapped), e...);
        },
        std::tuple_cat(define::pybind_extra(extra)...));
  }
  return target;
}

}  // namespace nimbal::py
