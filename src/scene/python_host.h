// The real host: every operation is a call into maya.cmds, maya.mel or maya.OpenMayaUI through the
// Python C API, with the keyword flags Maya documents. Any Python exception raised by a call, or
// while its answer is read, is thrown as PythonError (a HostError) carrying the exception itself.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>

#include "scene/host.h"
#include "scene/py_ref.h"
#include "scene/python_error.h"

namespace trembla::py {

// The three host modules as bound by the extension module at load time.
struct HostModules {
    PyRef cmds;  // maya.cmds
    PyRef mel;   // maya.mel
    PyRef omui;  // maya.OpenMayaUI
};

class PythonHost final : public Host {
public:
    // Made once per top-level call; commands are looked up on first use and kept until then.
    explicit PythonHost(HostModules modules);

    std::vector<std::string> selected_transforms() override;
    bool has_camera_shape(const std::string& node) override;
    bool obj_exists(const std::string& name) override;
    double playback_min() override;
    double playback_max() override;
    double current_time() override;
    void set_current_time(double frame) override;
    Vec3 world_translation(const std::string& node) override;
    Vec3 world_rotation(const std::string& node) override;
    double get_attr(const std::string& plug) override;
    void set_attr(const std::string& plug, double value) override;
    void cut_key(const std::string& node, const std::string& attribute) override;
    void delete_node(const std::string& name) override;
    std::string create_node(const std::string& type, const std::string& name) override;
    void connect_attr(const std::string& source, const std::string& destination) override;
    void set_curve_key(const std::string& curve, Frame time, double value) override;
    void set_channel_key(const std::string& node, const std::string& attribute, Frame time, double value) override;
    void set_layer_key(const std::string& node, const std::string& attribute, Frame time, double value,
                       const std::string& layer) override;
    std::optional<double> eval_curve(const std::string& curve, Frame time) override;
    bool anim_layer_exists(const std::string& name) override;
    std::string create_override_layer(const std::string& name) override;
    void add_layer_attribute(const std::string& layer, const std::string& plug) override;
    void select_layer(const std::string& layer) override;
    std::string evaluation_mode() override;
    void set_evaluation_mode(const std::string& mode) override;
    void refresh_suspend(bool suspended) override;
    void mel_eval(const std::string& command) override;
    void in_view_message(const std::string& text) override;
    void warning(const std::string& text) override;
    std::string user_script_dir() override;
    std::optional<std::uintptr_t> main_window() override;
    void print_line(const std::string& text) override;

private:
    enum class Command : std::size_t {
        Ls,
        ListRelatives,
        ObjExists,
        PlaybackOptions,
        CurrentTime,
        Xform,
        GetAttr,
        SetAttr,
        CutKey,
        Delete,
        CreateNode,
        ConnectAttr,
        SetKeyframe,
        Keyframe,
        AnimLayer,
        EvaluationManager,
        Refresh,
        MelEval,
        InViewMessage,
        Warning,
        InternalVar,
        MainWindow,
        Count
    };

    // One keyword argument of a host call; both objects are borrowed.
    struct Keyword {
        PyObject* name;
        PyObject* value;
    };

    PyObject* command(Command which);
    PyRef call(Command which, std::initializer_list<PyObject*> args, std::initializer_list<Keyword> keywords = {});
    Vec3 world_vector(const std::string& node, PyObject* which_flag);
    double playback_bound(PyObject* which_flag);

    HostModules modules_;
    std::array<PyRef, static_cast<std::size_t>(Command::Count)> commands_;
};

}  // namespace trembla::py
