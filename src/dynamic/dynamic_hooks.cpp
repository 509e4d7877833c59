#include "dynamic/dynamic_hooks.h"

#include <algorithm>

namespace meridia::dynamic {

namespace {

std::vector<std::shared_ptr<ExtraEventSource>>& ExtraSources() {
    static std::vector<std::shared_ptr<ExtraEventSource>> sources;
    return sources;
}

std::vector<std::shared_ptr<PrimaryDirectionSource>>& PrimarySources() {
    static std::vector<std::shared_ptr<PrimaryDirectionSource>> sources;
    return sources;
}

template <class T>
void AddOnce(std::vector<std::shared_ptr<T>>& list, std::shared_ptr<T> source) {
    if (source && std::find(list.begin(), list.end(), source) == list.end()) {
        list.push_back(std::move(source));
    }
}

}  // namespace

void RegisterExtraEventSource(std::shared_ptr<ExtraEventSource> source) {
    AddOnce(ExtraSources(), std::move(source));
}

void RegisterPrimaryDirectionSource(std::shared_ptr<PrimaryDirectionSource> source) {
    AddOnce(PrimarySources(), std::move(source));
}

const std::vector<std::shared_ptr<ExtraEventSource>>& ExtraEventSources() { return ExtraSources(); }

PrimaryDirectionSource* PrimaryDirectionSourceFor(int direction_type) {
    for (const auto& source : PrimarySources()) {
        if (source->Serves(direction_type)) {
            return source.get();
        }
    }
    return nullptr;
}

void ClearDynamicSources() {
    ExtraSources().clear();
    PrimarySources().clear();
}

}  // namespace meridia::dynamic
