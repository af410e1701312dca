#include "SaveQuestion.h"

namespace tilora {

bool offersCancel(AskMode mode) {
    return mode != AskMode::LoadOrExit;
}

SaveDecision decideOnSave(AskMode mode, SaveReply reply) {
    if (reply == SaveReply::Cancel && offersCancel(mode)) return SaveDecision::Stop;
    if (reply == SaveReply::Yes) return SaveDecision::SaveFirst;
    return SaveDecision::GoOn;
}

} // namespace tilora
