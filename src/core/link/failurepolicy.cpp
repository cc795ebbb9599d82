#include "core/link/failurepolicy.h"

#include "core/platform/processend.h"
#include "core/platform/prompt.h"

FailureDecision AskingPolicy::decide(const LinkFailure& failure) {
    using Kind = LinkFailure::Kind;
    if (failure.kind == Kind::NotAcknowledged && failure.quiet)
        return FailureDecision::GiveUp;
    QString text;
    switch (failure.kind) {
    case Kind::NoBoard:
        text = kBoardNotFoundText;
        break;
    case Kind::NotAcknowledged:
        text = kInvalidAddressText;
        break;
    case Kind::NoAnswer:
        text = kReadFileErrorText;
        break;
    case Kind::WriteFailed:
        text = kWriteFileErrorText;
        break;
    case Kind::CommandFailed:
        text = kCheckGPstatusText;
        break;
    }
    if (prompt_.ask(text, Buttons::RetryCancel) != Answer::Retry)
        return FailureDecision::EndProgram;
    // Retry after an address the chip did not take returns to the window,
    // where the user can set another.
    return failure.kind == Kind::NotAcknowledged ? FailureDecision::GiveUp : FailureDecision::Retry;
}

void AskingPolicy::endProgram(int status) {
    end_.endProcess(status);
}
