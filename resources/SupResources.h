#pragma once

// Registers the compiled-in resources (message tables ":/messages/...", SQL texts
// ":/sql/...").  Safe to call any number of times; the services call it before reading.
void supInitResources();
