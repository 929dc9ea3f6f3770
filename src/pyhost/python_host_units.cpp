// PythonHost, units: angles cross the Host interface in degrees and the host's commands in its
// working angular unit, converted here both ways; which plugs and curves hold angles (a curve's or
// blend node's type asked once per command).
#include "pyhost/python_host_calls.h"

#include <locale>
#include <sstream>
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

// currentUnit -time: the frame rates by name ("game" 15, "film" 24, "pal" 25, "ntsc" 30, "show"
// 48, "palf" 50, "ntscf" 60; "millisec", "sec", "min", "hour"), and the others as their rate
// followed by "fps" ("23.976fps", "120fps"); "29.97df" is 29.97 frames counted with drop frames
// (currentUnit reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/Commands/currentUnit.html). Asked when a
// clip is played, once per prepare.
double PythonHost::frame_rate() {
    PyRef answer = call(Command::CurrentUnit, {}, {{names().q, Py_True}, {names().time, Py_True}});
    const std::string unit = answer_text(answer.get());
    static const struct {
        const char* name;
        double rate;
    } kNamed[] = {{"game", 15}, {"film", 24},      {"pal", 25},          {"ntsc", 30},
                  {"show", 48}, {"palf", 50},      {"ntscf", 60},        {"millisec", 1000},
                  {"sec", 1},   {"min", 1.0 / 60}, {"hour", 1.0 / 3600}, {"29.97df", 29.97}};
    for (const auto& named : kNamed) {
        if (unit == named.name) return named.rate;
    }
    const std::string::size_type fps = unit.size() > 3 ? unit.size() - 3 : std::string::npos;
    if (fps != std::string::npos && unit.compare(fps, 3, "fps") == 0) {
        // Read in the classic locale: the host's own may write its decimal point as a comma.
        std::istringstream number(unit.substr(0, fps));
        number.imbue(std::locale::classic());
        double rate = 0;
        if (number >> rate && number.peek() == std::char_traits<char>::eof() && rate > 0) return rate;
    }
    throw HostError("the host's time unit '" + unit + "' names no frame rate");
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
