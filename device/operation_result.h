#pragma once

namespace tq260 {

// How an exchange with the keyboard ended. Once a command goes unanswered, the rest of its
// operation is not attempted: a keyboard that stopped answering would otherwise hold the
// caller for one timeout per command.
enum class OperationResult {
    Done,
    // A command waited out its timeout without an answer.
    NotAnswering,
    // A command failed at once: the keyboard is not connected, or has just gone.
    Failed,
};

}  // namespace tq260
