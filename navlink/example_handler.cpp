#include "navlink/example_handler.h"

namespace kelvaro {

// The request's arguments are read; what they make the program do belongs to the page
// dispatch.
void CExampleHandler::HandleMessage(MTomTomCommunicationLayerInterface* layer, MTomTomSession*) {
    if (layer == nullptr) {
        return;
    }
    const MArguments& arguments = layer->Arguments();
    for (int32_t index = 0; index < arguments.GetCount(); ++index) {
        static_cast<void>(arguments.GetArgument(index));
    }
}

}  // namespace kelvaro
