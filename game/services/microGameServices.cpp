#include "microGameServices.h"

#include "microBenchmark.h"
#include "microGameRecorder.h"
#include "mgrServices.h"

void RegisterGameServices(TServiceNotice notice)
{
    SetDefaultServices([notice](TServiceManager& services) {
        services.RegisterService([] { return std::make_unique<TBenchmarkService>(); }, "BENCHMARK");
        services.RegisterService([] { return std::make_unique<TRecorderService>(); }, "RECORDER");
        services.RegisterService([notice] { return std::make_unique<TTutorialService>(kTutorialFile, notice); },
                                 "TUTORIAL");
    });
}
