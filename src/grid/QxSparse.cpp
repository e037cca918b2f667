#include "grid/QxSparse.h"

#include <string>

namespace corvel {

void raiseSparseIndexError(int index) {
    std::string message = GridMessages::ListIndexError;
    message.replace(message.find("%d"), 2, std::to_string(index));
    throw EStringSparseListError(message);
}

void TStringSparseList::Put(int index, const QString& text) {
    const Item* old = list_.Get(index);
    const CellObject object = old ? old->object : nullptr;
    if (text.isEmpty() && object == nullptr) {
        list_.Put(index, nullptr);
        return;
    }
    auto item = std::make_unique<Item>();
    item->text = text;
    item->object = object;
    list_.Put(index, std::move(item));
}

void TStringSparseList::PutObject(int index, CellObject object) {
    Item* item = list_.Get(index);
    if (item) {
        item->object = object;
        if (object == nullptr && item->text.isEmpty())
            list_.Put(index, nullptr);
    } else if (object != nullptr)
        throw EStringSparseListError(GridMessages::PutObjectError);
}

} // namespace corvel
