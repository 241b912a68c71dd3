// TXPMenu: construction, properties and the activation walk.
