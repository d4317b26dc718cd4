// The program's handler of the navigator's requests (show, hide, waypoints).
#pragma once

#include "navlink/file_layer.h"

namespace kelvaro {

class CExampleHandler : public MCommandHandlerInterface {
  public:
    void HandleMessage(MTomTomCommunicationLayerInterface* layer, MTomTomSession* session) override;
};

}  // namespace kelvaro
