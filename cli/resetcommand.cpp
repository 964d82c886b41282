// reset --yes: the keyboard back to its factory state, as the other page does it.
#include "cli/clicommand.h"
#include "cli/clisession.h"

namespace {

constexpr uchar kSource = 10;  // the other page's source

int run(CliSession& s, const QStringList& args) {
    if (args != QStringList{QStringLiteral("--yes")}) {
        if (args.isEmpty())
            return s.refuse(QStringLiteral(
                "reset erases every profile, key binding, macro and light of the keyboard; "
                "say \"zentaro-cli reset --yes\" to do it"));
        return s.refuse(QStringLiteral("reset takes only --yes"));
    }
    if (!s.open()) return 1;
    const int error = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_reset_keyboard,
                                 [&] { s.engine().resetKeyboard(kSource, true); });
    if (error) return s.fail(QStringLiteral("cannot reset the keyboard"), error);
    s.say(QStringLiteral("the keyboard is back to its factory settings"));
    return 0;
}

}  // namespace

static CliCommand::Registrar registerReset(
    "reset", "reset --yes                  restore the keyboard's factory settings", run,
    "Everything stored on the keyboard is lost: profiles, key maps, macros, lights,\n"
    "triggers. Without --yes nothing is sent.");
