// The extension module qdm7720a, as Python imports it.
#include "python/bindings.h"

PYBIND11_MODULE(qdm7720a, module) {
    defineModule(module);
}
