#include "pictures/WmfObjectTable.h"

#include <utility>

namespace tav::wmf {

void ObjectTable::add(Object obj) {
    std::size_t slot;
    if (!freeSlots_.empty()) {
        slot = freeSlots_.top();
        freeSlots_.pop();
    } else if (objects_.size() < size_) {
        slot = objects_.size();
        objects_.emplace_back();
    } else {
        return;
    }
    objects_[slot] = std::move(obj);
}

const Object* ObjectTable::find(std::size_t index) const {
    if (index >= objects_.size() || !objects_[index]) return nullptr;
    return &*objects_[index];
}

bool ObjectTable::remove(std::size_t index) {
    if (index >= objects_.size() || !objects_[index]) return false;
    objects_[index].reset();
    freeSlots_.push(index);
    return true;
}

}  // namespace tav::wmf
