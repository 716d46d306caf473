#include "report/json_value.h"

#include <cjson/cJSON.h>

#include <cstdlib>
#include <utility>

namespace {

// cJSON hands out its printed text in memory from its own allocator.
std::string TakePrinted(char* printed) {
    if (!printed) return std::string();
    std::string text(printed);
    cJSON_free(printed);
    return text;
}

}  // namespace

JsonValue JsonValue::MakeObject() { return JsonValue(cJSON_CreateObject()); }

JsonValue JsonValue::MakeArray() { return JsonValue(cJSON_CreateArray()); }

cJSON* JsonValue::CopyTree(const cJSON* tree) {
    if (!tree) return nullptr;
    const std::string text = TakePrinted(cJSON_PrintUnformatted(tree));
    return text.empty() ? nullptr : cJSON_Parse(text.c_str());
}

JsonValue::JsonValue(const JsonValue& other) : root_(CopyTree(other.root_)) {}

JsonValue& JsonValue::operator=(const JsonValue& other) {
    if (this != &other) {
        cJSON* copy = CopyTree(other.root_);
        cJSON_Delete(root_);
        root_ = copy;
    }
    return *this;
}

JsonValue::JsonValue(JsonValue&& other) noexcept : root_(std::exchange(other.root_, nullptr)) {}

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept {
    if (this != &other) {
        cJSON_Delete(root_);
        root_ = std::exchange(other.root_, nullptr);
    }
    return *this;
}

JsonValue::~JsonValue() { cJSON_Delete(root_); }

void JsonValue::AddString(const std::string& key, const std::string& text) {
    cJSON_AddStringToObject(root_, key.c_str(), text.c_str());
}

void JsonValue::AddInt(const std::string& key, int32_t value) {
    cJSON_AddNumberToObject(root_, key.c_str(), static_cast<double>(value));
}

void JsonValue::AddInt64(const std::string& key, int64_t value) {
    cJSON_AddNumberToObject(root_, key.c_str(), static_cast<double>(value));
}

void JsonValue::AddDouble(const std::string& key, double value) {
    cJSON_AddNumberToObject(root_, key.c_str(), value);
}

void JsonValue::AddValue(const std::string& key, const JsonValue& value) {
    cJSON* copy = CopyTree(value.root_);
    if (!copy) return;
    if (!root_ || !cJSON_AddItemToObject(root_, key.c_str(), copy)) cJSON_Delete(copy);
}

void JsonValue::AppendString(const std::string& text) {
    cJSON* item = cJSON_CreateString(text.c_str());
    if (!item) return;
    if (!root_ || !cJSON_AddItemToArray(root_, item)) cJSON_Delete(item);
}

void JsonValue::AppendValue(const JsonValue& value) {
    cJSON* copy = CopyTree(value.root_);
    if (!copy) return;
    if (!root_ || !cJSON_AddItemToArray(root_, copy)) cJSON_Delete(copy);
}

std::string JsonValue::PrintUnformatted() const {
    return root_ ? TakePrinted(cJSON_PrintUnformatted(root_)) : std::string();
}
