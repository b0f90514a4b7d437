#pragma once
// A variant value: empty (unassigned), Null, a narrow string, a 32-bit integer, a 64-bit integer
// or a date-time (days since 1899-12-30).

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

struct VariantNull {
    bool operator==(const VariantNull&) const = default;
};
struct VariantEmpty {
    bool operator==(const VariantEmpty&) const = default;
};
struct VariantDateTime {
    double value;
    bool operator==(const VariantDateTime&) const = default;
};

class Variant {
  public:
    Variant() : FValue(VariantEmpty{}) {}
    static Variant Null() { return Variant(VariantNull{}); }
    static Variant AnsiString(std::string bytes) { return Variant(std::move(bytes)); }
    static Variant Integer(std::int32_t v) { return Variant(v); }
    static Variant Int64(std::int64_t v) { return Variant(v); }
    static Variant DateTime(double v) { return Variant(VariantDateTime{v}); }
    static Variant Array(std::vector<Variant> items) {
        return Variant(std::make_shared<const std::vector<Variant>>(std::move(items)));
    }

    bool IsEmpty() const { return std::holds_alternative<VariantEmpty>(FValue); }
    bool IsNull() const { return std::holds_alternative<VariantNull>(FValue); }
    bool IsString() const { return std::holds_alternative<std::string>(FValue); }
    bool IsInteger() const { return std::holds_alternative<std::int32_t>(FValue); }
    bool IsInt64() const { return std::holds_alternative<std::int64_t>(FValue); }
    bool IsDateTime() const { return std::holds_alternative<VariantDateTime>(FValue); }
    bool IsArray() const { return std::holds_alternative<ArrayPtr>(FValue); }
    const std::vector<Variant>& Items() const { return *std::get<ArrayPtr>(FValue); }

    // The narrow string (bytes in the ANSI code page); valid when IsString().
    const std::string& AsAnsiString() const { return std::get<std::string>(FValue); }
    std::int32_t AsInteger() const { return std::get<std::int32_t>(FValue); }
    std::int64_t AsInt64() const { return std::get<std::int64_t>(FValue); }
    double AsDateTime() const { return std::get<VariantDateTime>(FValue).value; }

    // Text form: Null and empty give the empty text.
    std::u16string ToText() const;

    bool operator==(const Variant& other) const;

  private:
    using ArrayPtr = std::shared_ptr<const std::vector<Variant>>;
    using Value = std::variant<VariantEmpty, VariantNull, std::string, std::int32_t, std::int64_t,
                               VariantDateTime, ArrayPtr>;
    explicit Variant(Value v) : FValue(std::move(v)) {}
    Value FValue;
};
