.pragma library

// Each direct-mode page works over one link of its own to one of the
// gateway's ports (commands, monitor). The backend holds a single link, so a
// page opening it takes over whatever link an earlier page left, and a page
// going away drops the link only while it is still the page's own.

function ensure(client, address, port) {
    if (!client.connected) {
        client.connectToDevice(address, port)
    } else if (client.currentPort !== port) {
        client.disconnectFromDevice()
        client.connectToDevice(address, port)
    }
}

function release(client, port) {
    if (client.connected && client.currentPort === port)
        client.disconnectFromDevice()
}
