#include "module/commands/preset_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

#include "module/binding/qt_values.h"
#include "module/binding/readers.h"
#include "module/functions/preset_functions.h"
#include "module/registry.h"
#include "pyhost/python_error.h"
#include "ui/main_window.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

const char* const kFileFilter = "Preset files (*.json);;All files (*)";

// The module's hook, or nothing when it is unset or None.
std::optional<PyRef> dialog_hook(PyObject* module) {
    PyRef hook = PyRef::steal(PyObject_GetAttrString(module, "_dialog_hook"));
    if (!hook) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) py::throw_python_error();
        PyErr_Clear();
        return std::nullopt;
    }
    if (hook.get() == Py_None) return std::nullopt;
    return hook;
}

PyRef call_hook(const PyRef& hook, const char* kind, const std::string& text) {
    PyRef kind_text = checked(py::text(kind));
    PyRef argument = checked(py::text(text));
    return checked(PyObject_CallFunctionObjArgs(hook.get(), kind_text.get(), argument.get(), nullptr));
}

bool answered(PyObject* value, const char* expected) {
    PyRef wanted = checked(py::text(expected));
    const int equal = PyObject_RichCompareBool(value, wanted.get(), Py_EQ);
    if (equal < 0) py::throw_python_error();
    return equal != 0;
}

}  // namespace

Answer ask_user(PyObject* module, WindowCommand& command, const std::string& text, bool with_cancel) {
    const Answer closed = with_cancel ? Answer::cancel : Answer::no;
    if (std::optional<PyRef> hook = dialog_hook(module)) {
        PyRef answer = call_hook(*hook, "question", text);
        if (answered(answer.get(), "yes")) return Answer::yes;
        if (with_cancel && answered(answer.get(), "cancel")) return Answer::cancel;
        return answered(answer.get(), "no") ? Answer::no : closed;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (with_cancel) buttons |= QMessageBox::Cancel;
    // On the heap and watched: the window, and the box with it, may be deleted while the box's
    // own event loop runs.
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Question, QStringLiteral("Presets"), qstring_of(text), buttons, &command.window());
    box->setDefaultButton(QMessageBox::No);
    const int choice = box->exec();
    delete box.data();
    if (choice == QMessageBox::Yes) return Answer::yes;
    if (choice == QMessageBox::No) return Answer::no;
    return closed;
}

std::optional<std::string> choose_preset_file(PyObject* module, WindowCommand& command, bool save) {
    const char* caption = save ? "Export Presets" : "Import Presets";
    if (std::optional<PyRef> hook = dialog_hook(module)) {
        PyRef chosen = call_hook(*hook, save ? "save" : "open", caption);
        const int picked = PyObject_IsTrue(chosen.get());
        if (picked < 0) py::throw_python_error();
        if (picked == 0) return std::nullopt;
        return store_path_of(chosen.get());
    }
    // The user's home folder, not the host's working folder (Maya's install folder, often not
    // writable); an export offers a file name there.
    const QString start =
        save ? QDir(QDir::homePath()).filePath(QStringLiteral("trembla_presets.json")) : QDir::homePath();
    QPointer<QFileDialog> dialog =
        new QFileDialog(&command.window(), QString::fromLatin1(caption), start, QString::fromLatin1(kFileFilter));
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog->setDefaultSuffix(QStringLiteral("json"));
    const int accepted = dialog->exec();
    const QStringList files = dialog ? dialog->selectedFiles() : QStringList();
    delete dialog.data();
    if (accepted != QDialog::Accepted || files.isEmpty()) return std::nullopt;
    PyRef path = checked(py::text(utf8_of(files.front())));
    return store_path_of(path.get());
}

std::optional<std::string> ask_name(PyObject* module, WindowCommand& command, const std::string& title,
                                    const std::string& text) {
    if (std::optional<PyRef> hook = dialog_hook(module)) {
        PyRef chosen = call_hook(*hook, "name", text);
        const int given = PyObject_IsTrue(chosen.get());
        if (given < 0) py::throw_python_error();
        if (given == 0) return std::nullopt;
        return text_arg(chosen.get(), "the name answered");
    }
    // On the heap and watched, as the question box: the window may go while the dialog runs.
    QPointer<QInputDialog> dialog = new QInputDialog(&command.window());
    dialog->setWindowTitle(qstring_of(title));
    dialog->setLabelText(qstring_of(text));
    dialog->setInputMode(QInputDialog::TextInput);
    const int accepted = dialog->exec();
    const QString name = dialog ? dialog->textValue() : QString();
    delete dialog.data();
    if (accepted != QDialog::Accepted || name.isEmpty()) return std::nullopt;
    return utf8_of(name);
}

}  // namespace trembla::ext
