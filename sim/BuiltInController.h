#pragma once

#include <QPointer>
#include <functional>
#include <memory>

#include "sim/FaultConfig.h"

class QIODevice;
class QObject;

namespace sim {

class M852Image;
class SimulatedPort;

// The simulated controller a program offers as its port 0. One register image lives as long as any
// copy of this object or of a factory it handed out, so writes survive Disconnect/Connect.
//
// The engine knows no simulator: it asks portFactory() for a device when port 0 is opened.
class BuiltInController {
public:
    BuiltInController();

    // Makes a new simulated port on the shared image (not yet open), parented to `parent`.
    using PortFactory = std::function<QIODevice*(QObject* parent)>;
    [[nodiscard]] PortFactory portFactory() const;

    [[nodiscard]] std::shared_ptr<M852Image> image() const;
    void setImage(std::shared_ptr<M852Image> image);
    // Faults for the next port made (and for the current one, if any).
    void setFaults(const FaultConfig& faults);
    [[nodiscard]] const FaultConfig& faults() const;
    // The last port made while it exists, else nullptr.
    [[nodiscard]] SimulatedPort* port() const;

private:
    struct State {
        std::shared_ptr<M852Image> image;
        FaultConfig faults;
        QPointer<SimulatedPort> port;
    };
    std::shared_ptr<State> m_state;
};

}  // namespace sim
