// The profile dialog's focus stops, in reading order: close, the list, New and Delete.
#include "dialogs/configure_dlg.h"
#include "dialogs/profile_dialog_layout.h"

namespace tq260 {

std::vector<FocusStop> CConfigureDlg::focusStopsNow() {
    std::vector<FocusStop> stops;
    const auto area = [&](const QString& id, const QRect& rect, const DialogText& name,
                          std::function<void()> activate) {
        FocusStop stop;
        stop.id = id;
        stop.rect = rect;
        stop.name = text(name);
        stop.activate = std::move(activate);
        stops.push_back(std::move(stop));
    };
    area(QStringLiteral("close"), kProfileCloseArea, {u"Close", u"关闭"},
         [this] { done(QDialog::Accepted); });
    stops.push_back(controlStop(list_));
    area(QStringLiteral("new"), kProfileNewArea, kProfileNewLabel, [this] { newProfile(); });
    area(QStringLiteral("delete"), kProfileDeleteArea, kProfileDeleteLabel,
         [this] { deleteProfile(); });
    return stops;
}

}  // namespace tq260
