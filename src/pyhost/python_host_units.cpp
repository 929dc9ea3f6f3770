// PythonHost, units: angles cross the Host interface in degrees and the host's commands in its
// working angular unit, converted here both ways; which plugs and curves hold angles (a curve's or
// blend node's type asked once per command).
#include "pyhost/python_host_calls.h"

#include <string>

namespace trembla::py {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

// currentUnit -angle: "[deg | degree | rad | radian]"; "The current unit affects how all commands
// in Maya interpret their numeric values" (currentUnit reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/Commands/currentUnit.html). Read once per
// command, on the first angle that crosses.
double PythonHost::ui_per_degree() {
    if (!ui_per_degree_) {
        PyRef answer = call(Command::CurrentUnit, {}, {{names().q, Py_True}, {names().angle, Py_True}});
        const std::string unit = answer_text(answer.get());
        if (unit == "deg" || unit == "degree") {
            ui_per_degree_ = 1.0;
        } else if (unit == "rad" || unit == "radian") {
            ui_per_degree_ = kPi / 180.0;
        } else {
            throw HostError("the host's angular unit '" + unit + "' is neither degrees nor radians");
        }
    }
    return *ui_per_degree_;
}

// In a scene working in degrees the values pass untouched.
double PythonHost::to_degrees(double ui_value) {
    const double factor = ui_per_degree();
    return factor == 1.0 ? ui_value : ui_value / factor;
}

double PythonHost::from_degrees(double degrees) {
    const double factor = ui_per_degree();
    return factor == 1.0 ? degrees : degrees * factor;
}

// nodeType(curve) once per curve (or blend node) and command; a curve made by this command is
// known already.
const std::string& PythonHost::curve_type(const std::string& curve) {
    auto found = curve_types_.find(curve);
    if (found == curve_types_.end()) {
        PyRef curve_obj = make_text(curve);
        std::string type = answer_text(call(Command::NodeType, {curve_obj.get()}).get());
        found = curve_types_.emplace(curve, std::move(type)).first;
    }
    return found->second;
}

bool PythonHost::angular_curve(const std::string& curve) { return curve_type(curve) == "animCurveTA"; }

// A rotate channel, or the base input of a rotate channel's layer blend node (inputA of an
// animBlendNodeAdditiveDA, inputAX/Y/Z of an animBlendNodeAdditiveRotation); the node's type is
// asked only where the scene's angles are not degrees.
bool PythonHost::angle_plug(const std::string& plug) {
    if (is_angle_plug(plug)) return true;
    const std::size_t dot = plug.rfind('.');
    if (dot == std::string::npos || plug.compare(dot + 1, 6, "inputA") != 0 || ui_per_degree() == 1.0) return false;
    const std::string& type = curve_type(plug.substr(0, dot));
    return type == "animBlendNodeAdditiveDA" || type == "animBlendNodeAdditiveRotation";
}

}  // namespace trembla::py
