#pragma once
// The launcher window: left column (header, versions, actions, switches,
// command-line field, language, quit) and right column (greeting or a panel).
void DrawMainScreen();
