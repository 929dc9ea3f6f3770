// PythonHost: each Host operation as one call of maya.cmds, maya.mel or maya.OpenMayaUI, with the
// working units converted at the edge. One class over several files, one per host concern:
// units, reads, curves and keys, layers, attributes and links, the undo queue, the host's
// interface (python_host_*.cpp), and the maya.api batch keyer (batch_keys.cpp). This file holds
// what they all go through: the interned flag names, the command table and the call itself.
#include "pyhost/python_host_calls.h"

#include <utility>

namespace trembla::py {

PyObject* intern_or_throw(const char* text) {
    PyObject* obj = interned(text);
    if (obj == nullptr) {
        throw_python_error();
    }
    return obj;
}

const Names& names() {
    static const Names* const all = [] {
        auto* n = new Names{};
        n->selection = intern_or_throw("selection");
        n->type = intern_or_throw("type");
        n->shapes = intern_or_throw("shapes");
        n->q = intern_or_throw("q");
        n->min = intern_or_throw("min");
        n->max = intern_or_throw("max");
        n->edit = intern_or_throw("edit");
        n->ws = intern_or_throw("ws");
        n->t = intern_or_throw("t");
        n->ro = intern_or_throw("ro");
        n->attribute = intern_or_throw("attribute");
        n->clear = intern_or_throw("clear");
        n->name = intern_or_throw("name");
        n->force = intern_or_throw("force");
        n->time = intern_or_throw("time");
        n->value = intern_or_throw("value");
        n->animLayer = intern_or_throw("animLayer");
        n->eval = intern_or_throw("eval");
        n->exists = intern_or_throw("exists");
        n->override_ = intern_or_throw("override");
        n->selected = intern_or_throw("selected");
        n->preferred = intern_or_throw("preferred");
        n->findCurveForPlug = intern_or_throw("findCurveForPlug");
        n->mode = intern_or_throw("mode");
        n->suspend = intern_or_throw("suspend");
        n->amg = intern_or_throw("amg");
        n->pos = intern_or_throw("pos");
        n->fade = intern_or_throw("fade");
        n->userScriptDir = intern_or_throw("userScriptDir");
        n->write = intern_or_throw("write");
        n->openChunk = intern_or_throw("openChunk");
        n->closeChunk = intern_or_throw("closeChunk");
        n->chunkName = intern_or_throw("chunkName");
        n->beginProgress = intern_or_throw("beginProgress");
        n->isInterruptable = intern_or_throw("isInterruptable");
        n->status = intern_or_throw("status");
        n->maxValue = intern_or_throw("maxValue");
        n->progress = intern_or_throw("progress");
        n->isCancelled = intern_or_throw("isCancelled");
        n->endProgress = intern_or_throw("endProgress");
        n->skipSelect = intern_or_throw("skipSelect");
        n->angle = intern_or_throw("angle");
        n->keyframeCount = intern_or_throw("keyframeCount");
        n->outTangentType = intern_or_throw("outTangentType");
        n->step = intern_or_throw("step");
        n->state = intern_or_throw("state");
        n->undoName = intern_or_throw("undoName");
        n->redoName = intern_or_throw("redoName");
        n->infinity = intern_or_throw("infinity");
        n->length = intern_or_throw("length");
        n->event = intern_or_throw("event");
        n->kill = intern_or_throw("kill");
        n->source = intern_or_throw("source");
        n->destination = intern_or_throw("destination");
        n->plugs = intern_or_throw("plugs");
        n->node = intern_or_throw("node");
        n->longName = intern_or_throw("longName");
        n->dataType = intern_or_throw("dataType");
        n->attributeType = intern_or_throw("attributeType");
        n->multi = intern_or_throw("multi");
        n->mute = intern_or_throw("mute");
        n->timeChange = intern_or_throw("timeChange");
        n->valueChange = intern_or_throw("valueChange");
        n->lock = intern_or_throw("lock");
        return n;
    }();
    return *all;
}

std::string answer_text(PyObject* answer) {
    std::string out;
    if (!text_to_utf8(answer, out)) {
        throw_python_error();
    }
    return out;
}

bool answer_truth(PyObject* answer) {
    const int truth = PyObject_IsTrue(answer);
    if (truth < 0) {
        throw_python_error();
    }
    return truth != 0;
}

PyRef answer_item(PyObject* answer, Py_ssize_t index) {
    if (PySequence_Check(answer)) {
        return checked(PySequence_GetItem(answer, index));
    }
    PyRef key = make_int(index);
    return checked(PyObject_GetItem(answer, key.get()));
}

namespace {

// Where each command lives: module index into HostModules order (cmds, mel, omui), attribute,
// and for omui.MQtUtil.mainWindow the attribute of that attribute.
struct CommandPath {
    int module;
    const char* attribute;
    const char* member;
};

constexpr CommandPath kCommandPaths[] = {
    {0, "ls", nullptr},
    {0, "listRelatives", nullptr},
    {0, "objExists", nullptr},
    {0, "playbackOptions", nullptr},
    {0, "currentTime", nullptr},
    {0, "xform", nullptr},
    {0, "getAttr", nullptr},
    {0, "setAttr", nullptr},
    {0, "cutKey", nullptr},
    {0, "delete", nullptr},
    {0, "createNode", nullptr},
    {0, "connectAttr", nullptr},
    {0, "setKeyframe", nullptr},
    {0, "keyframe", nullptr},
    {0, "animLayer", nullptr},
    {0, "evaluationManager", nullptr},
    {0, "refresh", nullptr},
    {1, "eval", nullptr},
    {0, "inViewMessage", nullptr},
    {0, "warning", nullptr},
    {0, "internalVar", nullptr},
    {2, "MQtUtil", "mainWindow"},
    {0, "undoInfo", nullptr},
    {0, "progressBar", nullptr},
    {0, "undo", nullptr},
    {0, "currentUnit", nullptr},
    {0, "nodeType", nullptr},
    {0, "scriptJob", nullptr},
    {0, "listConnections", nullptr},
    {0, "disconnectAttr", nullptr},
    {0, "attributeQuery", nullptr},
    {0, "addAttr", nullptr},
    {0, "deleteAttr", nullptr},
    {0, "keyTangent", nullptr},
    {0, "setInfinity", nullptr},
    {0, "lockNode", nullptr},
};

}  // namespace

PythonHost::PythonHost(HostModules modules, KeyPathState key_path, std::shared_ptr<BridgeCache> cache)
    : modules_(std::move(modules)),
      cache_(cache ? std::move(cache) : std::make_shared<BridgeCache>()),
      key_path_(std::move(key_path)) {}

PyObject* PythonHost::command(Command which) {
    const auto index = static_cast<std::size_t>(which);
    PyRef& cached = commands_[index];
    if (!cached) {
        const CommandPath& path = kCommandPaths[index];
        const PyRef* module = path.module == 0 ? &modules_.cmds : path.module == 1 ? &modules_.mel : &modules_.omui;
        PyRef found = checked(PyObject_GetAttrString(module->get(), path.attribute));
        if (path.member != nullptr) {
            found = checked(PyObject_GetAttrString(found.get(), path.member));
        }
        cached = std::move(found);
    }
    return cached.get();
}

PyRef PythonHost::call(Command which, std::initializer_list<PyObject*> args, std::initializer_list<Keyword> keywords) {
    PyObject* callable = command(which);
    PyRef positional = checked(PyTuple_New(static_cast<Py_ssize_t>(args.size())));
    Py_ssize_t i = 0;
    for (PyObject* arg : args) {
        Py_INCREF(arg);
        PyTuple_SET_ITEM(positional.get(), i++, arg);
    }
    PyRef named;
    if (keywords.size() != 0) {
        named = checked(PyDict_New());
        for (const Keyword& keyword : keywords) {
            if (PyDict_SetItem(named.get(), keyword.name, keyword.value) < 0) {
                throw_python_error();
            }
        }
    }
    return checked(PyObject_Call(callable, positional.get(), named.get()));
}

}  // namespace trembla::py
