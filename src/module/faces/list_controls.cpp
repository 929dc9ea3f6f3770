// ListControl and ListItem: the faces of the preset list and of its entries (control_face.h).
#include "module/faces/control_face.h"

#include <QListWidget>
#include <QPersistentModelIndex>

#include "module/binding/qt_values.h"
#include "module/binding/readers.h"
#include "module/faces/control_proxy.h"
#include "pyhost/python_error.h"

namespace trembla::ext::controls {

using py::checked;
using py::PyRef;

namespace {

// An entry is followed by a persistent model index: Qt invalidates it when the entry leaves the
// list, where a kept item pointer could not tell a freed entry from a new one at the same address.
struct ListItemObject {
    PyObject_HEAD QPointer<QListWidget>* list;
    QPersistentModelIndex* index;
    std::uintptr_t address;  // of the entry when the proxy was made; only ever hashed
};

}  // namespace

PyTypeObject g_list_item_type{};

namespace {

PyRef list_item_proxy(QListWidget& list, QListWidgetItem* item) {
    if (item == nullptr) {
        return none();
    }
    PyRef proxy = checked(g_list_item_type.tp_alloc(&g_list_item_type, 0));
    auto* object = reinterpret_cast<ListItemObject*>(proxy.get());
    object->list = new QPointer<QListWidget>(&list);
    object->index = new QPersistentModelIndex(list.model()->index(list.row(item), 0));
    object->address = reinterpret_cast<std::uintptr_t>(item);
    return proxy;
}

PyObject* list_count(PyObject* self, PyObject*) {
    return on<QListWidget>(self, [](QListWidget& list) { return int_to_python(list.count()); });
}

PyObject* list_item(PyObject* self, PyObject* row) {
    return on_converted<QListWidget>(
        self, [&] { return int_arg(row, "row"); },
        [](QListWidget& list, int index) { return list_item_proxy(list, list.item(index)); });
}

PyObject* list_current_item(PyObject* self, PyObject*) {
    return on<QListWidget>(self, [](QListWidget& list) { return list_item_proxy(list, list.currentItem()); });
}

PyObject* list_current_row(PyObject* self, PyObject*) {
    return on<QListWidget>(self, [](QListWidget& list) { return int_to_python(list.currentRow()); });
}

PyObject* list_set_current_row(PyObject* self, PyObject* row) {
    return on_converted<QListWidget>(
        self, [&] { return int_arg(row, "row"); },
        [](QListWidget& list, int index) {
            list.setCurrentRow(index);
            return none();
        });
}

}  // namespace

PyMethodDef kListMethods[] = {
    {"count", list_count, METH_NOARGS, "The number of entries."},
    {"item", list_item, METH_O, "item(row): the entry at row, or None."},
    {"currentItem", list_current_item, METH_NOARGS, "The current entry, or None."},
    {"currentRow", list_current_row, METH_NOARGS, "The current row, -1 when there is none."},
    {"setCurrentRow", list_set_current_row, METH_O, "setCurrentRow(row): makes that entry current and selected."},
    {nullptr, nullptr, 0, nullptr},
};

namespace {

// The entry itself, while its list still holds it.
QListWidgetItem& live_item(PyObject* self) {
    auto* object = reinterpret_cast<ListItemObject*>(self);
    QListWidget* list = object->list->data();
    QListWidgetItem* item = list != nullptr && object->index->isValid() ? list->item(object->index->row()) : nullptr;
    if (item == nullptr) {
        throw std::runtime_error("The list item has been deleted.");
    }
    return *item;
}

PyObject* list_item_text(PyObject* self, PyObject*) {
    return guarded([&] { return qstring_to_python(live_item(self).text()).release(); });
}

PyObject* list_item_set_selected(PyObject* self, PyObject* selected) {
    return guarded([&] {
        const bool select = truth_arg(selected);
        live_item(self).setSelected(select);
        return PyRef::borrow(Py_None).release();
    });
}

PyObject* list_item_is_selected(PyObject* self, PyObject*) {
    return guarded([&] { return bool_to_python(live_item(self).isSelected()).release(); });
}

PyObject* list_item_repr(PyObject* self) {
    return guarded([&] {
        PyRef text;
        try {
            text = qstring_to_python(live_item(self).text());
        } catch (const std::runtime_error&) {
            return repr_text(self, "(deleted)").release();
        }
        PyRef text_repr = checked(PyObject_Repr(text.get()));
        std::string shown;
        if (!py::text_to_utf8(text_repr.get(), shown)) {
            py::throw_python_error();
        }
        return repr_text(self, shown).release();
    });
}

PyObject* list_item_richcompare(PyObject* self, PyObject* other, int op) {
    if ((op != Py_EQ && op != Py_NE) || !PyObject_TypeCheck(other, &g_list_item_type)) {
        return not_implemented();
    }
    const QPersistentModelIndex& mine = *reinterpret_cast<ListItemObject*>(self)->index;
    const QPersistentModelIndex& theirs = *reinterpret_cast<ListItemObject*>(other)->index;
    const bool equal = mine.isValid() && mine == theirs;
    return bool_to_python(op == Py_EQ ? equal : !equal).release();
}

// Equal proxies stand for one entry, made while it lived, so they share its address.
HashValue list_item_hash(PyObject* self) { return address_hash(reinterpret_cast<ListItemObject*>(self)->address); }

void list_item_dealloc(PyObject* self) {
    auto* object = reinterpret_cast<ListItemObject*>(self);
    delete object->index;
    delete object->list;
    Py_TYPE(self)->tp_free(self);
}

PyMethodDef kListItemMethods[] = {
    {"text", list_item_text, METH_NOARGS, "The entry's text (a preset name)."},
    {"setSelected", list_item_set_selected, METH_O,
     "setSelected(selected): adds or takes the entry off the selection."},
    {"isSelected", list_item_is_selected, METH_NOARGS, "True while the entry is selected."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyTypeObject make_list_item_type() {
    PyTypeObject type = make_type("trembla_tool.ListItem", "An entry of the preset list.", kListItemMethods, nullptr);
    type.tp_basicsize = sizeof(ListItemObject);
    type.tp_dealloc = list_item_dealloc;
    type.tp_repr = list_item_repr;
    type.tp_richcompare = list_item_richcompare;
    type.tp_hash = list_item_hash;
    return type;
}

}  // namespace trembla::ext::controls

namespace trembla::ext {

QListWidgetItem* list_item_arg(PyObject* obj, const std::string& name) {
    if (obj == Py_None) {
        return nullptr;
    }
    if (!PyObject_TypeCheck(obj, &controls::g_list_item_type)) {
        throw ArgumentTypeError(name + " must be an entry of the preset list or None, not " + Py_TYPE(obj)->tp_name);
    }
    return &controls::live_item(obj);
}

}  // namespace trembla::ext
