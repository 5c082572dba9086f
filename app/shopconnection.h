#pragma once
// "数据库连接…" in the shop: the connection window, for the super administrator only.
class Shop;

// The window in front (made when it is not open), filled from the settings; refused with a message to a
// restricted user, however the command was reached.
void openDatabaseConnectionWindow(Shop &shop);
