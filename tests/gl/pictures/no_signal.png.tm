// A scene that draws nothing usable: its run error stays pending, so every
// later frame shows the no-signal picture.
// scene: frames=3,size=320x240
broken() = glClear(), glEnd();
gleDrawScene(HFor("broken", 2));
