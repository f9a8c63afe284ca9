#pragma once

class TMessages;

// The host's message table (":/messages/host.msg").
const TMessages &hostMessages();
