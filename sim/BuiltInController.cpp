#include "sim/BuiltInController.h"

#include "sim/M852Image.h"
#include "sim/SimulatedPort.h"

namespace sim {

BuiltInController::BuiltInController() : m_state(std::make_shared<State>()) {
    m_state->image = std::make_shared<M852Image>();
}

BuiltInController::PortFactory BuiltInController::portFactory() const {
    return [state = m_state](QObject* parent) -> QIODevice* {
        auto* port = new SimulatedPort(state->image, state->faults, parent);
        state->port = port;
        return port;
    };
}

std::shared_ptr<M852Image> BuiltInController::image() const { return m_state->image; }

void BuiltInController::setImage(std::shared_ptr<M852Image> image) {
    if (image) m_state->image = std::move(image);
}

void BuiltInController::setFaults(const FaultConfig& faults) {
    m_state->faults = faults;
    if (m_state->port) m_state->port->setFaultConfig(faults);
}

const FaultConfig& BuiltInController::faults() const { return m_state->faults; }

SimulatedPort* BuiltInController::port() const { return m_state->port.data(); }

}  // namespace sim
