#include "dataset/Exceptions.h"

#include "dataset/Component.h"
#include "platform/Unicode.h"

Exception::Exception(std::u16string message)
    : std::runtime_error(utf16ToUtf8(message)), FMessage(std::move(message)) {}

std::u16string prefixedMessage(const std::u16string& message, const TComponent* component) {
    if (component == nullptr || component->Name().empty()) return message;
    const TComponent* owner = component->Owner();
    if (component->IsSubComponent() && owner != nullptr && !owner->Name().empty())
        return owner->Name() + u"." + component->Name() + u": " + message;
    return component->Name() + u": " + message;
}

void DatabaseError(const std::u16string& message, const TComponent* component) {
    throw EDatabaseError(prefixedMessage(message, component));
}

std::u16string formatMessage(std::u16string_view format,
                             std::initializer_list<std::u16string_view> args) {
    std::u16string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() &&
            (format[i + 1] == u's' || format[i + 1] == u'g') && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}
