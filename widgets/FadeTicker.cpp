#include "widgets/FadeTicker.h"

#include "widgets/FadeTimerTicker.h"

namespace dosarium {

namespace {

FadeTicker::Factory &currentFactory()
{
    static FadeTicker::Factory factory;
    return factory;
}

} // namespace

std::unique_ptr<FadeTicker> FadeTicker::create()
{
    if (const Factory &factory = currentFactory())
        return factory();
    return std::make_unique<FadeTimerTicker>();
}

void FadeTicker::setFactory(Factory factory)
{
    currentFactory() = std::move(factory);
}

} // namespace dosarium
