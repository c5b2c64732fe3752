#include "wmp_plugin/StatusText.h"

#include "wmp_plugin/PluginSettings.h"

namespace wmp_plugin {

const char16_t kPlayerCaption[] = u"Windows Media Player";

TStatusOutput ComposeStatus(TOccasion occasion, const TPluginSettings& settings, const TMediaItem* media) {
    TStatusOutput out;
    if (occasion == TOccasion::Inactive) {
        out.Text = settings.Exit;
        out.SetCaption = true;
        out.Caption = kPlayerCaption;
    } else if (media) {
        if (occasion == TOccasion::Playing) {
            out.Text = settings.Title + u" " + media->Author + u" - " + media->Name;
            out.Caption = media->Author + u" - " + media->Name + u" - " + kPlayerCaption;
        } else {
            out.Text = settings.Stop;
            out.Caption = kPlayerCaption;
        }
        out.SetCaption = true;
    }
    if (!settings.Sign.empty())
        out.Text += u"\r\n\r\n" + settings.Sign;
    return out;
}

} // namespace wmp_plugin
