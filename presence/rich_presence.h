#pragma once
// The launcher's use of the Discord client: started during the shell's
// initialisation, stopped during its shut-down.
void StartRichPresence();
void StopRichPresence();

// Tests: stops a client left running and forgets an injected start failure.
void ResetRichPresenceForTesting();
