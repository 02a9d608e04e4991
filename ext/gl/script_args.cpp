#include "script_args.h"

#include "library.h"

namespace gllib {

bool formula_string(TmCallContext *ctx, double slot, std::u16string_view &text) {
    Library *lib = library();
    if (!lib || !ctx) return false;
    if (extproto::is_handle_bits(slot)) return false;
    const double index = slot;
    char16_t *area = nullptr;
    int first = 1, last = 0;
    lib->kernel.GetForStr(ctx, &area, &first, &last);
    if (!area || !(index >= first && index <= last) || double(int64_t(index)) != index) return false;
    for (int64_t i = int64_t(index); i <= last; ++i) {
        if (area[i] != 0) continue;
        text = std::u16string_view(area + int64_t(index), size_t(i - int64_t(index)));
        return true;
    }
    return false;
}

StringObjectError string_object(double slot, std::u16string_view &text) {
    Library *lib = library();
    const uint32_t handle = handle_arg(slot);
    if (!lib || !handle) return StringObjectError::NotCharacterArray;
    int kind = 0;
    if (lib->isTmData(int64_t(handle), &kind) == 0 || kind == 0 || kind != lib->wcharArrayKind)
        return StringObjectError::NotCharacterArray;
    auto *array = lib->dataPayload
                      ? static_cast<const TmDataArray *>(lib->dataPayload(int64_t(handle)))
                      : nullptr;
    if (!array || !array->dims || !array->buffer) return StringObjectError::NotCharacterArray;
    if (array->dims[0] != 3) return StringObjectError::NotOneDimensional;
    const int count = array->dims[1];
    if (count < 0) return StringObjectError::NotCharacterArray;
    const auto *chars = static_cast<const char16_t *>(array->buffer);
    // The text ends at its first zero, as a C string of the original did.
    size_t length = 0;
    while (length < size_t(count) && chars[length] != 0) ++length;
    text = std::u16string_view(chars, length);
    return StringObjectError::None;
}

}  // namespace gllib
