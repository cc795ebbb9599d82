// The Python objects around a board session: Chip and SMBus share one
// ending, and each family of the Chip's methods is defined in a file of its
// own onto the one class.
#pragma once

#include "python/pybind.h"
#include "python/session.h"

#include <memory>

// A board object's session and its ending, for Chip and SMBus alike.
class BoardObject {
public:
    explicit BoardObject(std::unique_ptr<BoardSession> session, bool selectBoard = true)
        : session_(std::move(session)) {
        session_->connect(selectBoard);
    }
    BoardSession& session() { return *session_; }
    void close() { session_->close(); }

private:
    std::unique_ptr<BoardSession> session_;
};

class PyChip : public BoardObject {
public:
    using BoardObject::BoardObject;
};

using ChipClass = pybind11::class_<PyChip>;

// The bit fields' methods: decode, set.
void defineFieldMethods(ChipClass& chip);
// The register files' methods: save, load, diff.
void defineFileMethods(ChipClass& chip);
// The link test's methods and their results: prbs, prbs_iter, sweep.
void defineLinkTestMethods(pybind11::module_& module, ChipClass& chip);
