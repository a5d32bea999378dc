#include "ventoria/app/fan_model.h"
#include "ventoria/app/helper_client.h"
#include "ventoria/app/user_defaults.h"
#include "ventoria/app/wake_notice.h"
#include "ventoria/platform/power_supply.h"

namespace ventoria::app {

FanModel::Parts machineParts(std::unique_ptr<HelperClient> helper,
                             std::unique_ptr<UserPreferences> preferences) {
    return {.store = std::make_unique<PresetStore>(std::move(preferences)),
            .sender = std::make_unique<ChoiceSender>(std::move(helper), eventLoopTimer(),
                                                     &helperInstalled),
            .hardware = HardwarePoller::opened(),
            .power = PowerWatch(&platform::onBattery)};
}

std::unique_ptr<FanModel> makeFanModel(FanModel::Options options) {
    auto helper = std::make_unique<HelperClient>(localSocketConnector(), platformInstaller());
    auto model =
        std::make_unique<FanModel>(machineParts(std::move(helper), userPreferences()), options);
    auto* wake = new WakeNotice(model.get());
    QObject::connect(wake, &WakeNotice::woke, model.get(), &FanModel::machineWoke);
    return model;
}

}  // namespace ventoria::app
