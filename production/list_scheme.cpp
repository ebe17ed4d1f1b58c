#include "list_scheme.h"

std::string ListCapacity(uint64_t size) {
    return std::to_string(size) + " in the list";
}

std::string ListRanOut(const std::string& capacity) {
    return "the serials have run out: every serial of the list (" + capacity + ") is used";
}

ListScheme::ListScheme(std::vector<std::string> serials) : serials_(std::move(serials)) {}

void ListScheme::MarkUsed(const std::string& serial) {
    used_.insert(serial);
    while (first_ < serials_.size() && used_.count(serials_[first_]) > 0) {
        first_++;
    }
}

SchemeNext ListScheme::Next() {
    SchemeNext next;
    if (first_ == serials_.size()) {
        next.message = ListRanOut(Capacity());
        return next;
    }
    next.kind = SchemeNext::Kind::Serial;
    next.serial = serials_[first_];
    return next;
}

std::string ListScheme::ResumedAfter() {
    for (size_t i = serials_.size(); i > 0; i--) {
        if (used_.count(serials_[i - 1]) > 0) {
            return serials_[i - 1];
        }
    }
    return "";
}

std::string ListScheme::Capacity() const {
    return ListCapacity(serials_.size());
}
