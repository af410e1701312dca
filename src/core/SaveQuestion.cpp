#include "SaveQuestion.h"

namespace tilora {

bool offersCancel(AskMode mode) {
    return mode != AskMode::LoadOrExit;
}

SaveDecision decideOnSave(SaveReply reply) {
    switch (reply) {
    case SaveReply::Yes:
        return SaveDecision::SaveFirst;
    case SaveReply::No:
        return SaveDecision::GoOn;
    case SaveReply::Cancel:
        break;
    }
    return SaveDecision::Stop;
}

} // namespace tilora
