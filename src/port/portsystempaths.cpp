#include "port/portsystempaths.h"

namespace {
PortSystemPaths& processDefaults() {
    static PortSystemPaths paths;
    return paths;
}
} // namespace

PortSystemPaths PortSystemPaths::defaults() {
    return processDefaults();
}

void PortSystemPaths::setDefaults(const PortSystemPaths& paths) {
    processDefaults() = paths;
}
