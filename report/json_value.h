// A thin owner of one cJSON tree, used to build the report documents.
//
// A holder never shares its tree: copying a holder, or putting it inside another
// tree, copies the tree by printing it and parsing the text again. Keys and
// string values are passed through unchanged, so callers supply UTF-8.
#pragma once

#include <cstdint>
#include <string>

struct cJSON;

class JsonValue {
public:
    static JsonValue MakeObject();
    static JsonValue MakeArray();

    JsonValue(const JsonValue& other);
    JsonValue& operator=(const JsonValue& other);
    JsonValue(JsonValue&& other) noexcept;
    JsonValue& operator=(JsonValue&& other) noexcept;
    ~JsonValue();

    // Object members, printed in the order they are added.
    void AddString(const std::string& key, const std::string& text);
    void AddInt(const std::string& key, int32_t value);
    void AddInt64(const std::string& key, int64_t value);  // as the nearest double
    void AddDouble(const std::string& key, double value);
    void AddValue(const std::string& key, const JsonValue& value);

    // Array elements.
    void AppendString(const std::string& text);
    void AppendValue(const JsonValue& value);

    // The compact text of the tree ("" only if the library cannot allocate).
    std::string PrintUnformatted() const;

private:
    explicit JsonValue(cJSON* root) : root_(root) {}
    static cJSON* CopyTree(const cJSON* tree);

    cJSON* root_ = nullptr;
};
