// Generic gadget operations: look the number up, call the kind's slot or fall back.
#include "ui/gadget/gadget.h"
#include "ui/gadget/gadget_internal.h"

namespace {

const char* text_or_empty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

std::string gadget_text_get(intptr_t number) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr) return std::string();
  if (gadget->ops->text_get != nullptr) return gadget->ops->text_get(gadget);
  const int length = GetWindowTextLengthA(gadget->handle);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(gadget->handle, &text[0], length + 1);
  text.resize(copied > 0 && copied <= length ? static_cast<size_t>(copied) : 0);
  return text;
}

int32_t gadget_text_set(intptr_t number, const char* text) {
  text = text_or_empty(text);
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr) return 0;
  if (gadget->ops->text_set != nullptr) return gadget->ops->text_set(gadget, text);
  return SetWindowTextA(gadget->handle, text);
}

int32_t gadget_state_get(intptr_t number) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->state_get == nullptr) return 0;
  return gadget->ops->state_get(gadget);
}

int32_t gadget_state_set(intptr_t number, int32_t state) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->state_set == nullptr) return 0;
  return gadget->ops->state_set(gadget, state);
}

int32_t gadget_item_add(intptr_t number, int32_t position, const char* text) {
  text = text_or_empty(text);
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr) return 0;
  if (gadget->ops->item_add_ex != nullptr) return gadget->ops->item_add_ex(gadget, position, text);
  if (gadget->ops->item_add != nullptr) return gadget->ops->item_add(gadget, position, text);
  return 0;
}

int32_t gadget_item_remove(intptr_t number, int32_t index) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->item_remove == nullptr) return 0;
  return gadget->ops->item_remove(gadget, index);
}

int32_t gadget_items_clear(intptr_t number) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->items_clear == nullptr) return 0;
  return gadget->ops->items_clear(gadget);
}

int32_t gadget_item_count(intptr_t number) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->item_count == nullptr) return 0;
  return gadget->ops->item_count(gadget);
}

int32_t gadget_item_state_get(intptr_t number, int32_t index) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->item_state_get == nullptr) return 0;
  return gadget->ops->item_state_get(gadget, index);
}

int32_t gadget_item_state_set(intptr_t number, int32_t index, int32_t state) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->item_state_set == nullptr) return 0;
  return gadget->ops->item_state_set(gadget, index, state);
}

std::string gadget_item_text_get(intptr_t number, int32_t index) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->item_text_get == nullptr) return std::string();
  return gadget->ops->item_text_get(gadget, index);
}

int32_t gadget_item_text_set(intptr_t number, int32_t index, const char* text) {
  text = text_or_empty(text);
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->item_text_set == nullptr) return 0;
  return gadget->ops->item_text_set(gadget, index, text);
}

intptr_t gadget_item_data_set(intptr_t number, int32_t index, intptr_t value) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->item_data_set == nullptr) return 0;
  return gadget->ops->item_data_set(gadget, index, value);
}

intptr_t gadget_item_data_get(intptr_t number, int32_t index) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->item_data_get == nullptr) return 0;
  return gadget->ops->item_data_get(gadget, index);
}

BOOL gadget_disable(intptr_t number, int32_t state) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr) return FALSE;
  return EnableWindow(gadget->handle, state == 0 ? TRUE : FALSE);
}

int32_t gadget_color_set(intptr_t number, int32_t which, int32_t value) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->color_set == nullptr) return 0;
  return gadget->ops->color_set(gadget, which, value);
}

int32_t gadget_color_get(intptr_t number, int32_t which) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr || gadget->ops->color_get == nullptr) return -1;
  return gadget->ops->color_get(gadget, which);
}

int32_t gadget_move(intptr_t number, int x, int y, int width, int height) {
  GadgetObject* gadget = gadget_find(number);
  if (gadget == nullptr) return 0;
  if (gadget->ops->resize != nullptr) {
    gadget->ops->resize(gadget, x, y, width, height);
  } else {
    gadget_move_record(gadget, x, y, width, height);
  }
  return 1;
}
