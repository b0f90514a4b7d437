// Field values: the conversions of the field classes between the window's text and the record
// form, and the paths through the dataset's shared input/output buffer.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "dataset/FieldClasses.h"
#include "platform/CodePage.h"
#include "platform/IntegerText.h"
#include "platform/TimeText.h"
#include "platform/Unicode.h"

namespace {
// A number as "%g" shows it in messages: up to 15 significant digits, no exponent for integers
// of 32 bits.
std::u16string numberText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return asciiToUtf16(buffer);
}
}  // namespace

// ---- TField ----------------------------------------------------------------------------------

void TField::accessError(const char16_t* typeName) const {
    throw EDatabaseError(
        formatMessage(u"Cannot access field '%s' as type %s", {DisplayName(), typeName}));
}

std::u16string TField::AsString() const {
    accessError(u"String");
}
void TField::SetAsString(const std::u16string&) {
    accessError(u"String");
}
std::string TField::AsAnsiString() const {
    return unicodeToAnsi(AsString());
}
void TField::SetAsAnsiString(const std::string& value) {
    SetAsString(ansiToUnicode(value));
}
std::int32_t TField::AsInteger() const {
    accessError(u"Integer");
}
void TField::SetAsInteger(std::int32_t) {
    accessError(u"Integer");
}
double TField::AsDateTime() const {
    accessError(u"DateTime");
}
void TField::SetAsDateTime(double) {
    accessError(u"DateTime");
}
Variant TField::AsVariant() const {
    accessError(u"Variant");
}
void TField::SetAsVariant(const Variant&) {
    accessError(u"Variant");
}
void TField::SetAsBoolean(bool) {
    accessError(u"Boolean");
}
void TField::SetAsFloat(double) {
    accessError(u"Float");
}
void TField::SetAsCurrency(double value) {
    SetAsFloat(value);
}
void TField::SetAsWideString(const std::u16string& value) {
    SetAsString(value);
}
void TField::SetAsLargeInt(std::int64_t) {
    accessError(u"Largeint");
}

void TField::AssignValue(const TVarRec& value) {
    auto invalid = [this] {
        throw EDatabaseError(formatMessage(u"Invalid value for field '%s'", {DisplayName()}));
    };
    switch (value.VType) {
        case vtInteger:
            SetAsInteger(value.VInteger);
            break;
        case vtBoolean:
            SetAsBoolean(value.VBoolean);
            break;
        case vtChar:
            SetAsAnsiString(std::string(1, value.VChar));
            break;
        case vtExtended:
            SetAsFloat(value.VExtended);
            break;
        case vtString:
            SetAsString(ansiToUnicode(value.VAnsi));
            break;
        case vtPointer:
            if (value.VPointer != nullptr) invalid();
            break;
        case vtPChar:
            SetAsString(ansiToUnicode(value.VAnsi));
            break;
        case vtObject:
            // No persistent object of this system can be assigned to a field.
            if (value.VPointer != nullptr) invalid();
            break;
        case vtWideChar:
            SetAsString(std::u16string(1, value.VWideChar));
            break;
        case vtPWideChar:
            SetAsString(value.VUnicode);
            break;
        case vtAnsiString:
            SetAsAnsiString(value.VAnsi);
            break;
        case vtCurrency:
            SetAsCurrency(value.VExtended);
            break;
        case vtVariant:
            if (!value.VVariant.IsEmpty()) SetAsVariant(value.VVariant);
            break;
        case vtWideString:
            SetAsWideString(value.VUnicode);
            break;
        case vtInt64:
            SetAsVariant(Variant::Int64(value.VInt64));
            break;
        case vtUnicodeString:
            SetAsString(value.VUnicode);
            break;
        default:
            invalid();
    }
}

unsigned char* TField::ioBuffer() const {
    return DataSet()->ioBuffer();
}

bool TField::GetData(void* buffer, bool native) const {
    TClientDataSet* ds = DataSet();
    if (ds == nullptr) return false;
    if (native || buffer == nullptr) return ds->GetFieldData(this, buffer);
    std::vector<unsigned char> record(static_cast<std::size_t>(std::max(Size(), 0)) + 8, 0);
    if (!ds->GetFieldData(this, record.data())) return false;
    convertFromRecord(record.data(), buffer);
    return true;
}

void TField::SetData(const void* buffer, bool native) {
    TClientDataSet* ds = DataSet();
    if (ds == nullptr) DatabaseError(formatMessage(u"Field '%s' has no dataset", {DisplayName()}));
    if (native || buffer == nullptr) {
        ds->storeFieldData(this, buffer);
        return;
    }
    unsigned char* record = ds->convertBuffer();
    convertToRecord(buffer, record);
    ds->storeFieldData(this, record);
}

void TField::convertToRecord(const void* exchange, void* record) const {
    std::memcpy(record, exchange, static_cast<std::size_t>(std::max(ioSize(), 0)));
}

void TField::convertFromRecord(const void* record, void* exchange) const {
    std::memcpy(exchange, record, static_cast<std::size_t>(std::max(ioSize(), 0)));
}

// ---- TStringField ----------------------------------------------------------------------------

std::optional<std::string> TStringField::storedBytes() const {
    unsigned char* buffer = ioBuffer();
    if (!GetData(buffer)) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(buffer);
    return std::string(text, strnlen(text, static_cast<std::size_t>(Size()) + 1));
}

std::u16string TStringField::AsString() const {
    auto bytes = storedBytes();
    return bytes ? ansiToUnicode(*bytes) : std::u16string();
}

std::string TStringField::AsAnsiString() const {
    return storedBytes().value_or(std::string());
}

void TStringField::SetAsString(const std::u16string& value) {
    SetAsAnsiString(unicodeToAnsi(value));
}

void TStringField::SetAsAnsiString(const std::string& value) {
    // Up to the first NUL, cut to the field's size by bytes; a double-byte character that would
    // straddle the limit is dropped whole so that no lone lead byte is stored.
    std::string_view bytes(value.data(), strnlen(value.data(), value.size()));
    std::size_t n = bytes.size();
    if (n + 1 > static_cast<std::size_t>(Size()) + 1)
        n = ansiCutLength(bytes, static_cast<std::size_t>(Size()));
    unsigned char* buffer = ioBuffer();
    std::memcpy(buffer, bytes.data(), n);
    buffer[n] = 0;
    SetData(buffer);
}

std::int32_t TStringField::AsInteger() const {
    const std::u16string text = AsString();
    auto value = parseInteger(text);
    if (!value)
        throw EDatabaseError(formatMessage(u"'%s' is not a valid integer value for field '%s'",
                                           {text, DisplayName()}));
    return *value;
}

void TStringField::SetAsInteger(std::int32_t value) {
    SetAsString(integerToText(value));
}

Variant TStringField::AsVariant() const {
    auto bytes = storedBytes();
    return bytes ? Variant::AnsiString(*bytes) : Variant::Null();
}

void TStringField::SetAsVariant(const Variant& value) {
    if (value.IsNull() || value.IsEmpty())
        Clear();
    else if (value.IsString())
        SetAsAnsiString(value.AsAnsiString());
    else
        SetAsString(value.ToText());
}

// ---- TDateTimeField and TTimeField -----------------------------------------------------------

std::u16string TDateTimeField::AsString() const {
    if (IsNull()) return {};
    const double dt = AsDateTime();
    auto ms = dateTimeToMsOfDay(dt);
    return formatLongTime(ms.value_or(0));
}

void TDateTimeField::SetAsString(const std::u16string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    auto ms = parseTime(value);
    if (!ms) throw EDatabaseError(formatMessage(u"'%s' is not a valid time", {value}));
    SetAsDateTime(msOfDayToDateTime(*ms));
}

double TDateTimeField::AsDateTime() const {
    double value = 0;
    return GetData(&value, false) ? value : 0.0;
}

void TDateTimeField::SetAsDateTime(double value) {
    SetData(&value, false);
}

Variant TDateTimeField::AsVariant() const {
    double value = 0;
    return GetData(&value, false) ? Variant::DateTime(value) : Variant::Null();
}

void TDateTimeField::SetAsVariant(const Variant& value) {
    if (value.IsNull() || value.IsEmpty())
        Clear();
    else if (value.IsDateTime())
        SetAsDateTime(value.AsDateTime());
    else
        SetAsString(value.ToText());
}

namespace {
constexpr double kMSecsPerDayD = 86'400'000.0;
constexpr std::int32_t kDateDelta = 693594;  // day number of 1899-12-30, counting 0001-01-01 as 1
}  // namespace

void TDateTimeField::convertToRecord(const void* exchange, void* record) const {
    double value;
    std::memcpy(&value, exchange, sizeof value);
    const auto ms = dateTimeToMsOfDay(value);
    if (!ms) throw EDatabaseError(formatMessage(u"Invalid value for field '%s'", {DisplayName()}));
    switch (DataType()) {
        case ftTime: {
            const std::int32_t v = *ms;
            std::memcpy(record, &v, sizeof v);
            break;
        }
        case ftDate: {
            const auto v = static_cast<std::int32_t>(std::trunc(value)) + kDateDelta;
            std::memcpy(record, &v, sizeof v);
            break;
        }
        default: {
            const double v = std::round(value * kMSecsPerDayD) + kDateDelta * kMSecsPerDayD;
            std::memcpy(record, &v, sizeof v);
        }
    }
}

void TDateTimeField::convertFromRecord(const void* record, void* exchange) const {
    double value = 0;
    switch (DataType()) {
        case ftTime: {
            std::int32_t ms;
            std::memcpy(&ms, record, sizeof ms);
            value = msOfDayToDateTime(ms);
            break;
        }
        case ftDate: {
            std::int32_t days;
            std::memcpy(&days, record, sizeof days);
            value = days - kDateDelta;
            break;
        }
        default: {
            double ms;
            std::memcpy(&ms, record, sizeof ms);
            value = ms / kMSecsPerDayD - kDateDelta;
        }
    }
    std::memcpy(exchange, &value, sizeof value);
}

// ---- TIntegerField ---------------------------------------------------------------------------

std::u16string TIntegerField::AsString() const {
    std::int32_t value = 0;
    return GetData(&value) ? integerToText(value) : std::u16string();
}

void TIntegerField::SetAsString(const std::u16string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    auto parsed = parseInteger(value);
    if (!parsed)
        throw EDatabaseError(formatMessage(u"'%s' is not a valid integer value for field '%s'",
                                           {value, DisplayName()}));
    SetAsInteger(*parsed);
}

std::int32_t TIntegerField::AsInteger() const {
    std::int32_t value = 0;
    return GetData(&value) ? value : 0;
}

void TIntegerField::SetAsInteger(std::int32_t value) {
    SetAsLargeInt(value);
}

void TIntegerField::SetAsLargeInt(std::int64_t value) {
    const bool limited = FMinValue != 0 || FMaxValue != 0;
    const std::int64_t low = limited ? FMinValue : MinRange;
    const std::int64_t high = limited ? FMaxValue : MaxRange;
    if (value < low || value > high)
        throw EDatabaseError(formatMessage(
            u"%g is not a valid value for field '%s'. The allowed range is %g to %g",
            {numberText(static_cast<double>(value)), DisplayName(),
             numberText(static_cast<double>(low)), numberText(static_cast<double>(high))}));
    const auto v = static_cast<std::int32_t>(value);
    unsigned char* buffer = ioBuffer();
    std::memcpy(buffer, &v, sizeof v);
    SetData(buffer);
}

void TIntegerField::SetAsFloat(double value) {
    if (!std::isfinite(value) || value < -9.2e18 || value > 9.2e18)
        throw EDatabaseError(formatMessage(u"Invalid value for field '%s'", {DisplayName()}));
    SetAsLargeInt(static_cast<std::int64_t>(std::llround(value)));
}

Variant TIntegerField::AsVariant() const {
    std::int32_t value = 0;
    return GetData(&value) ? Variant::Integer(value) : Variant::Null();
}

void TIntegerField::SetAsVariant(const Variant& value) {
    if (value.IsNull() || value.IsEmpty())
        Clear();
    else if (value.IsInteger())
        SetAsInteger(value.AsInteger());
    else if (value.IsInt64())
        SetAsLargeInt(value.AsInt64());
    else
        SetAsString(value.ToText());
}

// ---- Variant ---------------------------------------------------------------------------------

std::u16string Variant::ToText() const {
    if (IsString()) return ansiToUnicode(AsAnsiString());
    if (IsInteger()) return integerToText(AsInteger());
    if (IsInt64()) return integerToText(AsInt64());
    if (IsDateTime()) return formatLongTime(dateTimeToMsOfDay(AsDateTime()).value_or(0));
    return {};
}

bool Variant::operator==(const Variant& other) const {
    if (IsArray() && other.IsArray()) return Items() == other.Items();
    return FValue == other.FValue;
}
