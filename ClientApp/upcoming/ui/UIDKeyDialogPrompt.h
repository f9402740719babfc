#pragma once

#include "upcoming/UpcomingExchange.h"

namespace karvola::ui {

class TEnterUIDKeyForm;

// Asks for the identity key with the key entry dialog, modally.
class UIDKeyDialogPrompt final : public IdentityKeyPrompt {
public:
    explicit UIDKeyDialogPrompt(TEnterUIDKeyForm& dialog) : m_dialog(dialog) {}

    // The dialog stores the key in the configuration it was made with, which is
    // the one the commands read.
    bool askForKey(MatchConfig& config) override;

private:
    TEnterUIDKeyForm& m_dialog;
};

}  // namespace karvola::ui
